#include "editor/ElementForms.h"

#include "common/Notifier.h"
#include "edit/BitmapValues.h"
#include "edit/ButtonValues.h"
#include "edit/ControlValues.h"
#include "edit/FontValues.h"
#include "edit/NumericValues.h"
#include "edit/PointerValues.h"
#include "edit/ToolInteraction.h"
#include "editor/BitmapForm.h"
#include "editor/ImageControlForm.h"
#include "editor/ButtonControlForm.h"
#include "editor/PointerControlForm.h"
#include "editor/NumericControlForm.h"
#include "editor/BarGraphControlForm.h"
#include "editor/StringControlForm.h"
#include "editor/TextControlForm.h"
#include "editor/EllipseForm.h"
#include "editor/PaletteForm.h"
#include "editor/CharactersForm.h"
#include "editor/GroupBoxForm.h"
#include "editor/LineForm.h"
#include "editor/PanelForm.h"
#include "editor/RectangleForm.h"
#include "editor/CircleForm.h"

#include <QMessageBox>

namespace h5 {

namespace {

FormRunner &runner()
{
    static FormRunner r;
    return r;
}

bool runForm(PropertyForm &dlg)
{
    if (runner())
        return runner()(dlg);
    return dlg.exec() == QDialog::Accepted;
}

void tell(QWidget *parent, const FormContext &ctx, const QString &text)
{
    if (ctx.notifier)
        ctx.notifier->message(text);
    else
        QMessageBox::warning(parent, QString(), text);
}

PropertyEdit outcome(FormApply a)
{
    switch (a) {
    case FormApply::Written: return PropertyEdit::Written;
    case FormApply::Refused: return PropertyEdit::Refused;
    case FormApply::Remove: return PropertyEdit::Removed;
    }
    return PropertyEdit::Refused;
}

// Values of a new control's form: the control ID and the gesture's first
// point, and for the forms that have one the dragged size.
template <class Values>
Values placedValues(int controlId, QPoint at)
{
    Values v;
    v.ctrlId = controlId;
    v.x = at.x();
    v.y = at.y();
    return v;
}

template <class Values>
Values sizedValues(int controlId, QPoint at, QSize size)
{
    Values v = placedValues<Values>(controlId, at);
    v.width = size.width();
    v.height = size.height();
    return v;
}

// Fills the form from the element, runs it and writes the values back.
template <class Form, class Values>
PropertyEdit editWith(QWidget *parent, CGraph &element)
{
    Values values;
    values.fromElement(element);
    Form dlg(values, parent);
    if (!runForm(dlg))
        return PropertyEdit::Cancelled;
    return outcome(dlg.values().toElement(element));
}

// Runs a creation form and builds the new element from it.
template <class Form, class Values>
bool createWith(QWidget *parent, CGraph &element, const Values &values, const FormContext &ctx)
{
    Form dlg(values, parent);
    if (!runForm(dlg))
        return false;
    const std::optional<CGraph> made = dlg.values().newElement(ctx.info);
    if (!made)
        return false;
    element = *made;
    return true;
}

PropertyEdit editText(QWidget *parent, CGraph &element, const FormContext &ctx)
{
    FontValues values;
    values.fromElement(element);
    CharactersForm dlg(values, parent);
    if (!runForm(dlg))
        return PropertyEdit::Cancelled;
    const FontValues &v = dlg.values();
    if (ctx.textState) {
        ctx.textState->attr = v.attr();
        ctx.textState->columnSpacing = v.columnSpacing;
        ctx.textState->lineSpacing = v.lineSpacing;
    }
    const FormApply a = v.toElement(element);
    if (!v.text.empty() && v.refusedAtEightDots())
        tell(parent, ctx, FontValues::eightDotMessage());
    return outcome(a);
}

bool createText(QWidget *parent, CGraph &element, const FormContext &ctx)
{
    const TextToolState last = ctx.textState ? *ctx.textState : TextToolState();
    CharactersForm dlg(FontValues::forNewText(element.m_ptStart, last), parent);
    if (!runForm(dlg))
        return false;
    const FontValues &v = dlg.values();
    if (v.text.empty())
        return false;
    if (ctx.textState)
        v.storeIn(*ctx.textState);
    if (v.refusedAtEightDots()) {
        tell(parent, ctx, FontValues::eightDotMessage());
        return false;
    }
    element = *v.newElement(ctx.info);
    return true;
}

bool createPointer(QWidget *parent, CGraph &element, const FormContext &ctx)
{
    PointerCtrlValues values;
    values.ctrlId = ctx.nextControlId;
    values.centreX = element.m_ptStart.x();
    values.centreY = element.m_ptStart.y();
    PointerControlForm dlg(values, ctx.picturesFolder, parent);
    dlg.setFilesRequired(true);
    if (!runForm(dlg))
        return false;
    const QString missing = dlg.values().missingParts();
    if (!missing.isEmpty()) {
        tell(parent, ctx, missing);
        return false;
    }
    element = *dlg.values().newElement(ctx.info);
    return true;
}

bool createBitmap(QWidget *parent, CGraph &element)
{
    BitmapValues values;
    values.fromElement(element);
    BitmapForm dlg(values, parent);
    if (!runForm(dlg))
        return false;
    // The block count stays the one of the picture file the tool measured.
    const int blocks = element.m_nAttr;
    dlg.values().toElement(element);
    element.m_nAttr = blocks;
    return true;
}

} // namespace

void setFormRunner(FormRunner r) { runner() = std::move(r); }

PropertyEdit editElementProperties(QWidget *parent, CGraph &element, const FormContext &ctx)
{
    switch (element.m_nKind) {
    case Kind::Line: return editWith<LineForm, LineValues>(parent, element);
    case Kind::HollowRect:
    case Kind::SolidRect: return editWith<RectangleForm, RectangleValues>(parent, element);
    case Kind::HollowEllipse:
    case Kind::SolidEllipse: return editWith<EllipseForm, EllipseValues>(parent, element);
    case Kind::HollowCircle:
    case Kind::SolidCircle: return editWith<CircleForm, CircleValues>(parent, element);
    case Kind::Text: return editText(parent, element, ctx);
    case Kind::Bitmap: return editWith<BitmapForm, BitmapValues>(parent, element);
    case Kind::GroupBox: return editWith<GroupBoxForm, GroupBoxValues>(parent, element);
    case Kind::Panel: return editWith<PanelForm, PanelValues>(parent, element);
    case Kind::StringCtrl: return editWith<StringControlForm, StringCtrlValues>(parent, element);
    case Kind::PointerCtrl: {
        PointerCtrlValues values;
        values.fromElement(element);
        PointerControlForm dlg(values, ctx.picturesFolder, parent);
        if (!runForm(dlg))
            return PropertyEdit::Cancelled;
        return outcome(dlg.values().toElement(element));
    }
    case Kind::NumericCtrl: return editWith<NumericControlForm, NumericValues>(parent, element);
    case Kind::BarCtrl: return editWith<BarGraphControlForm, BarCtrlValues>(parent, element);
    case Kind::ImageCtrl: return editWith<ImageControlForm, ImageCtrlValues>(parent, element);
    case Kind::TextCtrl: return editWith<TextControlForm, TextCtrlValues>(parent, element);
    case Kind::ButtonCtrl: return editWith<ButtonControlForm, ButtonValues>(parent, element);
    default: return PropertyEdit::NoForm;
    }
}

bool createElementWithForm(QWidget *parent, CGraph &element, const FormContext &ctx)
{
    const QPoint start = element.m_ptStart;
    const QSize size(wrapSub(element.m_ptEnd.x(), start.x()), wrapSub(element.m_ptEnd.y(), start.y()));
    const int id = ctx.nextControlId;
    switch (element.m_nKind) {
    case Kind::Text: return createText(parent, element, ctx);
    case Kind::Bitmap: return createBitmap(parent, element);
    case Kind::StringCtrl:
        return createWith<StringControlForm>(parent, element, placedValues<StringCtrlValues>(id, start), ctx);
    case Kind::PointerCtrl: return createPointer(parent, element, ctx);
    case Kind::NumericCtrl:
        return createWith<NumericControlForm>(parent, element, placedValues<NumericValues>(id, start), ctx);
    case Kind::BarCtrl:
        return createWith<BarGraphControlForm>(parent, element, sizedValues<BarCtrlValues>(id, start, size), ctx);
    case Kind::ImageCtrl:
        return createWith<ImageControlForm>(parent, element, sizedValues<ImageCtrlValues>(id, start, size), ctx);
    case Kind::ButtonCtrl: {
        ButtonValues v = sizedValues<ButtonValues>(id, start, size);
        v.borderWidth = 3;
        v.sendCoordinates = false;
        v.sendId = true;
        return createWith<ButtonControlForm>(parent, element, v, ctx);
    }
    default: return false;
    }
}

namespace {

// Runs a creation form and returns what it built, refusals included.
template <class Form, class Values>
std::optional<CGraph> buildWith(Form &dlg, const NewElementInfo &info)
{
    if (!runForm(dlg))
        return std::nullopt;
    return dlg.values().makeElement(info);
}

template <class Form, class Values>
std::optional<CGraph> buildWith(QWidget *parent, const Values &values, const NewElementInfo &info)
{
    Form dlg(values, parent);
    return buildWith<Form, Values>(dlg, info);
}

} // namespace

std::optional<CGraph> runCreationForm(QWidget *parent, const FormRequest &request, const QString &picturesFolder)
{
    const QPoint at = request.position;
    switch (request.tool) {
    case Kind::Text:
        return buildWith<CharactersForm>(parent, FontValues::forNewText(at, request.text), request.info);
    case Kind::StringCtrl:
        return buildWith<StringControlForm>(parent, placedValues<StringCtrlValues>(request.controlId, at),
                                           request.info);
    case Kind::PointerCtrl: {
        PointerCtrlValues v;
        v.ctrlId = request.controlId;
        v.centreX = at.x();
        v.centreY = at.y();
        PointerControlForm dlg(v, picturesFolder, parent);
        dlg.setFilesRequired(true);
        return buildWith<PointerControlForm, PointerCtrlValues>(dlg, request.info);
    }
    case Kind::NumericCtrl:
        return buildWith<NumericControlForm>(parent, placedValues<NumericValues>(request.controlId, at),
                                           request.info);
    case Kind::BarCtrl:
        return buildWith<BarGraphControlForm>(
            parent, sizedValues<BarCtrlValues>(request.controlId, at, request.size), request.info);
    case Kind::ImageCtrl:
        return buildWith<ImageControlForm>(
            parent, sizedValues<ImageCtrlValues>(request.controlId, at, request.size), request.info);
    case Kind::ButtonCtrl: {
        ButtonValues v = sizedValues<ButtonValues>(request.controlId, at, request.size);
        v.borderWidth = request.borderWidth;
        v.sendCoordinates = request.sendCoordinates;
        v.sendId = request.sendId;
        return buildWith<ButtonControlForm>(parent, v, request.info);
    }
    default: return std::nullopt;
    }
}

bool runBitmapForm(QWidget *parent, PlacedPicture &picture)
{
    BitmapValues v;
    v.title = picture.title;
    v.x = picture.position.x();
    v.y = picture.position.y();
    v.width = picture.size.width();
    v.height = picture.size.height();
    v.blocks = picture.blocks;
    v.pictureNumber = picture.number;
    BitmapForm dlg(v, parent);
    if (!runForm(dlg))
        return false;
    const BitmapValues &out = dlg.values();
    picture.number = out.pictureNumber;
    picture.position = QPoint(out.x, out.y);
    picture.size = QSize(out.width, out.height);
    return true;
}

bool editPalette(QWidget *parent, PaletteValues &values)
{
    PaletteForm dlg(values, parent);
    if (!runForm(dlg))
        return false;
    values = dlg.values();
    return true;
}

} // namespace h5
