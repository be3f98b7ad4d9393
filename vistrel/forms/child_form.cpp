#include "forms/child_form.h"

namespace vistrel {

TfrmChildBase::TfrmChildBase(fw::TComponent* owner) : fw::TForm(owner)
{
    SetBorderStyle(fw::bsNone);
    SetPosition(fw::poMainFormCenter);
    SetColor(fw::clBtnFace);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetHeight(-11);
    OnCreate = [this](fw::TObject* sender) { FormCreate(sender); };
}

void TfrmChildBase::Handle_ItemRecordChanged(fw::TObject*, const QString&, int64_t, int32_t)
{
}

void TfrmChildBase::FormCreate(fw::TObject*)
{
    SetParentBackground(true);
}

}
