// Forms, the application and the screen.
//
// A form is top-level (its own Qt window) or, with a Parent, a child window inside
// another control. Forms are built in code: their constructor makes their components,
// and whoever makes a form with `new` calls AfterConstruction once the constructor has
// run (CreateForm does), which raises OnCreate. Free raises OnDestroy before any
// destructor runs.
//
// The application's message loop is the platform's (GetMessageW, DispatchMessageW); Qt
// runs inside it while the loop waits. An exception that a message handler raises goes
// to HandleException: OnException when set, else a message box with the application's
// title and the exception's text (on standard error without a display), and the loop
// goes on.
//
// The objects Application, Screen and Mouse exist between InitializeFormsUnit and
// FinalizeFormsUnit, which the program's main runs (after making its QApplication, and
// before the QApplication goes).
#ifndef FRAMEWORK_FORMS_H
#define FRAMEWORK_FORMS_H

#include "framework/classes.h"
#include "framework/controls.h"
#include "framework/types.h"
#include "platform/user_input.h"

#include <QtCore/QString>

#include <functional>
#include <map>
#include <vector>

namespace fw {

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState {
    wsNormal,
    wsMinimized,
    wsMaximized
};
enum TCloseAction {
    caNone,
    caHide,
    caFree,
    caMinimize
};

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& can_close)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Raises OnCreate; once.
    virtual void AfterConstruction();
    // Raises OnDestroy (Free calls it before the destructors).
    void BeforeDestruction() override;

    // The frame: bsNone has none (a child form or a borderless window), bsSizeable
    // (the default) a resizable one.
    TFormBorderStyle BorderStyle() const { return m_border_style; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const { return m_position; }
    void SetPosition(TPosition position) { m_position = position; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);

    void SetParent(TWinControl* parent) override;
    void SetText(const QString& text) override;
    bool Showing() const override;

    void Show();
    void Hide() { SetVisible(false); }
    // Asks OnCloseQuery and OnClose; hides the form, frees it (caFree, later through
    // the queue) or, for the main form, ends the application.
    void Close();
    // Frees the form once the messages already queued for it have been handled.
    void Release();
    bool Active() const { return m_active; }
    TWinControl* ActiveControl() const { return m_active_control; }
    void SetActiveControl(TWinControl* control);
    // The next control in tab order after (or before) the current one.
    void SelectNext(TWinControl* current, bool forward, bool check_tab_stop);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnDestroy;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void VisibleChanged() override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void Activate();
    virtual void Deactivate();
    virtual bool CloseQuery();
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TWinControl;
    void place_on_first_show();
    void get_min_max_info(TMessage& message);

    TFormBorderStyle m_border_style = bsSizeable;
    TPosition m_position = poDesigned;
    TWindowState m_window_state = wsNormal;
    bool m_created = false;
    bool m_destroy_raised = false;
    bool m_shown_once = false;
    bool m_active = false;
    TWinControl* m_active_control = nullptr;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// The form whose child the control is, or nullptr: the nearest, or with top_form the
// outermost (the top-level form in which child forms are embedded).
TCustomForm* GetParentForm(const TControl* control, bool top_form = false);

// ---- The application ----------------------------------------------------------------------

// Makes the hint window of a kind (HintWindowClassOf<T>()).
using THintWindowClass = std::function<THintWindow*(TComponent* owner)>;
template <typename T>
THintWindowClass HintWindowClassOf()
{
    return [](TComponent* owner) -> THintWindow* { return new T(owner); };
}

// What CM_HINTSHOW (LParam: a THintInfo*) lets the control under the mouse change
// before its hint is shown; a nonzero result shows none.
struct THintInfo {
    TControl* HintControl = nullptr;
    THintWindowClass HintWindowClass;
    TPoint HintPos;       // the window's top-left corner, screen coordinates
    int HintMaxWidth = 0; // lines are broken at this width
    TColor HintColor = clInfoBk;
    TRect CursorRect;      // the hint stays while the mouse is in here (client coordinates)
    TPoint CursorPos;      // the mouse, client coordinates
    int ReshowTimeout = 0; // > 0: asked again after that many milliseconds
    int HideTimeout = 0;   // milliseconds until the hint goes
    QString HintStr;
    void* HintData = nullptr;
};

using TExceptionEvent = std::function<void(TObject* sender, const Exception& error)>;
// Sees the main form's messages first; true when it handled one.
using TWindowHook = std::function<bool(TMessage& message)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // Starts the framework on the program's QApplication: Qt's Fusion style and a
    // palette from the platform's fixed system colours. Raises EInvalidOperation when
    // the program has a Qt application that is no QApplication (one that the platform
    // made for painting without widgets).
    void Initialize();
    // Makes a form owned by the application; the first becomes the main form.
    template <typename T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        if (m_main_form == nullptr)
            m_main_form = form;
        form->AfterConstruction();
    }
    TCustomForm* MainForm() const { return m_main_form; }

    // Shows the main form and handles messages until Terminated.
    void Run();
    // Handles one message, waiting for it when none is there.
    void HandleMessage();
    // Handles every message that is waiting, then returns.
    void ProcessMessages();
    // Ends Run: WM_QUIT goes into the queue.
    void Terminate();
    bool Terminated() const { return m_terminated; }

    // The exception being handled (called from a catch block): OnException, or
    // ShowException. EAbort is silent.
    void HandleException(TObject* sender) noexcept;
    void ShowException(const QString& message) noexcept;
    TExceptionEvent OnException;

    const QString& Title() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }
    // The program file's full path.
    QString ExeName() const;
    bool MainFormOnTaskBar() const { return m_main_form_on_task_bar; }
    void SetMainFormOnTaskBar(bool value) { m_main_form_on_task_bar = value; }

    TColor HintColor() const { return m_hint_color; }
    void SetHintColor(TColor color) { m_hint_color = color; }
    int HintPause() const { return m_hint_pause; }
    void SetHintPause(int milliseconds) { m_hint_pause = milliseconds; }
    int HintHidePause() const { return m_hint_hide_pause; }
    void SetHintHidePause(int milliseconds) { m_hint_hide_pause = milliseconds; }
    int HintShortPause() const { return m_hint_short_pause; }
    void SetHintShortPause(int milliseconds) { m_hint_short_pause = milliseconds; }
    bool ShowHint() const { return m_show_hint; }
    void SetShowHint(bool value);
    // The hint window that shows hints unless a control's CM_HINTSHOW names another.
    THintWindowClass HintWindowClass;
    // Takes the hint away and forgets the control it was for.
    void CancelHint();
    // The hint window while a hint is shown, else nullptr.
    THintWindow* HintWindow() const { return m_hint_shown ? m_hint_window : nullptr; }
    // The mouse moved over the control (client point): hints follow the mouse from
    // here. The controls call it; tests may too.
    void HintMouseMessage(TControl* control, TPoint client_point);
    // The control the mouse rests on for its hint, or nullptr.
    TControl* HintControl() const { return m_hint_control; }
    // A control that goes is forgotten (its hint with it).
    void forget_control(const TControl* control) noexcept;

    // Hooks see the main form's messages before the form does, last hooked first.
    void HookMainWindow(const TWindowHook& hook, const void* key);
    void UnhookMainWindow(const void* key);
    bool run_main_window_hooks(TMessage& message);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TCustomForm* m_main_form = nullptr;
    bool m_terminated = false;
    QString m_title;
    bool m_main_form_on_task_bar = false;
    TColor m_hint_color = clInfoBk;
    int m_hint_pause = 500;
    int m_hint_hide_pause = 2500;
    bool m_show_hint = true;
    std::vector<std::pair<const void*, TWindowHook>> m_hooks;

    friend LRESULT fw_hint_timer_procedure(HWND, UINT, WPARAM, LPARAM) noexcept;
    void process(MSG& message);
    void start_hint_timer(int milliseconds, int purpose);
    void stop_hint_timer();
    void hint_timer_fired(int purpose);
    void show_hint();
    void hide_hint();

    int m_hint_short_pause = 50;
    TControl* m_hint_control = nullptr;
    TPoint m_hint_cursor;
    TRect m_hint_cursor_rect;
    THintWindow* m_hint_window = nullptr;
    bool m_hint_shown = false;
    HWND m_hint_timer_window = nullptr;
    int m_hint_timer_purpose = 0;
};

LRESULT fw_hint_timer_procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept;

// ---- The screen ------------------------------------------------------------------------------

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;

    // The cursor of the whole program: crDefault lets every control show its own;
    // another one (the hourglass while a folder is listed) is shown everywhere. The
    // change is shown before the call returns.
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor);
    // The platform cursor of a cursor number (the built-in ones, and any the program
    // adds, such as a split cursor at 768); nullptr for crNone and unknown numbers.
    HCURSOR Cursors(int index) const;
    void SetCursors(int index, HCURSOR cursor);

    // The primary screen's size.
    int Width() const;
    int Height() const;
    // The size of the whole desktop (all monitors).
    int DesktopWidth() const;
    int DesktopHeight() const;
    int PixelsPerInch() const { return 96; }

    int FormCount() const { return static_cast<int>(m_forms.size()); }
    TCustomForm* Forms(int index) const;
    TCustomForm* ActiveForm() const;

private:
    friend class TCustomForm;
    std::map<int, HCURSOR> m_cursors;
    TCursor m_cursor = crDefault;
    bool m_override_set = false;
    std::vector<TCustomForm*> m_forms;
};

extern TApplication* Application;
extern TScreen* Screen;
extern TMouse* Mouse;

// Makes Application, Screen and Mouse; nothing when they exist.
void InitializeFormsUnit();
// Frees the application (and the forms it owns), the screen and the mouse.
void FinalizeFormsUnit() noexcept;
// Settings that Qt takes only before the QApplication is made: whole-factor HiDPI
// scaling. The program's main calls it first.
void PrepareQtApplication();

}

#endif
