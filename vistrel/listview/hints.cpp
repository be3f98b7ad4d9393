#include "listview/hints.h"

#include "listview/common/text_routines.h"
#include "listview/listview.h"
#include "platform/gdi.h"

using namespace fw;

namespace vistrel::listview {

namespace {

DrawTextFlags alignment_flags(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return dtfRight;
    case taCenter:
        return dtfCenter;
    default:
        return dtfLeft;
    }
}

}

TLqHintWindow::TLqHintWindow(TComponent* owner) : THintWindow(owner)
{
}

TLqHintWindow::~TLqHintWindow() = default;

void TLqHintWindow::ActivateHint(TRect rect, const QString& hint)
{
    THintWindow::ActivateHint(rect, hint);
}

void TLqHintWindow::ActivateHintData(TRect rect, const QString& hint, void* data)
{
    THintWindow::ActivateHintData(rect, hint, data);
}

bool TLqHintWindow::IsHintMsg(const MSG& message) const
{
    return THintWindow::IsHintMsg(message);
}

TRect TLqHintWindow::CalcHintRect(int max_width, const QString& hint, void* data)
{
    if (ComponentState().Contains(csDestroying))
        return TRect{};
    auto* record = static_cast<TLqHintInfoRec*>(data);
    if (record == nullptr || record->Listview == nullptr)
        return THintWindow::CalcHintRect(max_width, hint, data);
    m_hint_info = record;
    TCustomLqListview* listview = record->Listview;
    m_lq_hint_info = listview->HintInfo();
    TLqHintInfo* info = m_lq_hint_info;
    info->SetCanvas(Canvas());
    info->SetHintType(record->HintType);
    info->SetText(record->HintStr);
    info->SetColor(record->HintColor);
    info->SetCursorPos(record->CursorPos);
    info->SetHideTimeout(record->HideTimeout);
    info->SetReshowTimeout(record->ReshowTimeout);
    info->SetMaxWidth(record->HintMaxWidth);
    info->SetWindowPos(record->HintPos);
    info->SetBounds(Rect(0, 0, max_width, 0));

    listview->DoHintCustomInfo(record->TargetObj, info);

    record->HintType = info->HintType();
    record->HintStr = info->Text();
    record->HintColor = info->Color();
    record->CursorPos = info->CursorPos();
    record->HideTimeout = info->HideTimeout();
    record->ReshowTimeout = info->ReshowTimeout();
    record->HintMaxWidth = info->MaxWidth();
    record->HintPos = info->WindowPos();

    if (info->HintType() == ehtText || info->HintType() == ehtToolTip) {
        TRect bounds = info->Bounds();
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old_font = SelectObject(dc, Font()->Handle());
        DrawTextWithFlags(dc, info->Text(), bounds,
                          dtfCalcRect | alignment_flags(listview->HintAlignment()), -1);
        SelectObject(dc, old_font);
        DeleteDC(dc);
        bounds.Right += 6;
        bounds.Bottom += 2;
        info->SetBounds(bounds);
    }
    return info->Bounds();
}

void TLqHintWindow::Paint()
{
    if (ComponentState().Contains(csDestroying))
        return;
    if (m_lq_hint_info == nullptr || m_hint_info == nullptr || m_hint_info->Listview == nullptr) {
        THintWindow::Paint();
        return;
    }
    TCustomLqListview* listview = m_hint_info->Listview;
    TLqHintInfo* info = m_lq_hint_info;
    info->SetCanvas(Canvas());
    if (info->HintType() == ehtCustomDraw) {
        listview->DoHintCustomDraw(m_hint_info->TargetObj, info);
        return;
    }
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    TRect rect = ClientRect();
    rect.Left += 2;
    rect.Top += 2;
    rect.Right -= 2;
    rect.Bottom -= 2;
    DrawTextWithFlags(canvas->Handle(), info->Text(), rect,
                      alignment_flags(listview->HintAlignment()) | dtfVCenter, -1);
}

}
