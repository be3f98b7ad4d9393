// Hints of the list-view control: the record the control fills when the framework asks
// for a hint, the information object through which OnHintCustomInfo adjusts the hint,
// and the hint window that measures and paints plain and tool-tip hints itself and
// hands custom-drawn ones to OnHintCustomDraw.
#ifndef VISTREL_LISTVIEW_HINTS_H
#define VISTREL_LISTVIEW_HINTS_H

#include "framework/controls.h"
#include "framework/forms.h"
#include "listview/persistent.h"

#include <QtCore/QString>

namespace vistrel::listview {

// The control's hint record, handed to the hint window as its hint data.
struct TLqHintInfoRec {
    fw::TControl* HintControl = nullptr;
    fw::THintWindowClass HintWindowClass;
    fw::TPoint HintPos{};
    int HintMaxWidth = 0;
    fw::TColor HintColor = fw::clInfoBk;
    TLqHintType HintType = ehtText;
    fw::TRect CursorRect;
    fw::TPoint CursorPos{};
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    QString HintStr;
    void* HintData = nullptr;
    TCustomLqListview* Listview = nullptr;
    TLqCollectionItem* TargetObj = nullptr;
    fw::TRect ToolTipRect;
};

class TLqHintInfo : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;

    fw::TRect Bounds() const { return m_bounds; }
    void SetBounds(const fw::TRect& value) { m_bounds = value; }
    fw::TCanvas* Canvas() const { return m_canvas; }
    void SetCanvas(fw::TCanvas* value) { m_canvas = value; }
    fw::TColor Color() const { return m_color; }
    void SetColor(fw::TColor value) { m_color = value; }
    fw::TPoint CursorPos() const { return m_cursor_pos; }
    void SetCursorPos(fw::TPoint value) { m_cursor_pos = value; }
    int HideTimeout() const { return m_hide_timeout; }
    void SetHideTimeout(int value) { m_hide_timeout = value; }
    TLqHintType HintType() const { return m_hint_type; }
    void SetHintType(TLqHintType value) { m_hint_type = value; }
    int MaxWidth() const { return m_max_width; }
    void SetMaxWidth(int value) { m_max_width = value; }
    int ReshowTimeout() const { return m_reshow_timeout; }
    void SetReshowTimeout(int value) { m_reshow_timeout = value; }
    const QString& Text() const { return m_text; }
    void SetText(const QString& value) { m_text = value; }
    fw::TPoint WindowPos() const { return m_window_pos; }
    void SetWindowPos(fw::TPoint value) { m_window_pos = value; }

private:
    fw::TRect m_bounds;
    fw::TCanvas* m_canvas = nullptr;
    fw::TColor m_color = fw::clInfoBk;
    fw::TPoint m_cursor_pos{};
    int m_hide_timeout = 0;
    TLqHintType m_hint_type = ehtText;
    int m_max_width = 0;
    int m_reshow_timeout = 0;
    QString m_text;
    fw::TPoint m_window_pos{};
};

class TLqHintWindow : public fw::THintWindow {
public:
    explicit TLqHintWindow(fw::TComponent* owner);
    ~TLqHintWindow() override;

    void ActivateHint(fw::TRect rect, const QString& hint) override;
    void ActivateHintData(fw::TRect rect, const QString& hint, void* data) override;
    // data is the control's TLqHintInfoRec; without one the plain window's answer.
    fw::TRect CalcHintRect(int max_width, const QString& hint, void* data) override;
    bool IsHintMsg(const MSG& message) const override;

    TLqHintInfo* LqHintInfo() const { return m_lq_hint_info; }

protected:
    void Paint() override;

private:
    TLqHintInfo* m_lq_hint_info = nullptr;
    TLqHintInfoRec* m_hint_info = nullptr;
};

}

#endif
