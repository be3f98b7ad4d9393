// The base of the viewer's child forms: a borderless form meant to be embedded in a
// panel of the main window, with the hooks its owner calls on it (all empty here).
#ifndef VISTREL_FORMS_CHILD_FORM_H
#define VISTREL_FORMS_CHILD_FORM_H

#include "framework/forms.h"

#include <QtCore/QString>

#include <cstdint>

namespace vistrel {

class TfrmChildBase : public fw::TForm {
public:
    // No border, centred on the main form, button-face colour, "Tahoma" 8 points;
    // OnCreate is FormCreate.
    explicit TfrmChildBase(fw::TComponent* owner);

    // The owner's hooks; empty here.
    virtual void Handle_ChildClosing() {}
    virtual void Handle_ChildOpening() {}
    virtual void Handle_ClientClosing() {}
    virtual void Handle_ItemRecordChanged(fw::TObject* Sender, const QString& table, int64_t ItemID,
                                          int32_t ChangeType);
    virtual void Handle_LocalSetupChanged() {}
    virtual void ReadGUI() {}
    virtual void UpdateDisplay() {}
    virtual void WriteGUI() {}

protected:
    // Lets the parent's background show through the form.
    void FormCreate(fw::TObject* Sender);
};

}

#endif
