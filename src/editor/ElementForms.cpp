#include "editor/ElementForms.h"

#include "common/Prompts.h"
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


namespace h5 {

namespace {

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
PropertyEdit editWith(QWidget *parent, Prompts &prompts, CGraph &element)
{
    Values values;
    values.fromElement(element);
    Form form(values, prompts, parent);
    if (!prompts.runForm(form))
        return PropertyEdit::Cancelled;
    return outcome(form.values().toElement(element));
}

// Runs a creation form and builds the new element from it.
template <class Form, class Values>
bool createWith(QWidget *parent, Prompts &prompts, CGraph &element, const Values &values, const FormContext &ctx)
{
    Form form(values, prompts, parent);
    if (!prompts.runForm(form))
        return false;
    const std::optional<CGraph> made = form.values().newElement(ctx.info);
    if (!made)
        return false;
    element = *made;
    return true;
}

PropertyEdit editText(QWidget *parent, Prompts &prompts, CGraph &element, const FormContext &ctx)
{
    FontValues values;
    values.fromElement(element);
    CharactersForm form(values, prompts, parent);
    if (!prompts.runForm(form))
        return PropertyEdit::Cancelled;
    const FontValues &v = form.values();
    if (ctx.textState) {
        ctx.textState->attr = v.attr();
        ctx.textState->columnSpacing = v.columnSpacing;
        ctx.textState->lineSpacing = v.lineSpacing;
    }
    const FormApply a = v.toElement(element);
    if (!v.text.empty() && v.refusedAtEightDots())
        prompts.message(FontValues::eightDotMessage());
    return outcome(a);
}

bool createText(QWidget *parent, Prompts &prompts, CGraph &element, const FormContext &ctx)
{
    const TextToolState last = ctx.textState ? *ctx.textState : TextToolState();
    CharactersForm form(FontValues::forNewText(element.m_ptStart, last), prompts, parent);
    if (!prompts.runForm(form))
        return false;
    const FontValues &v = form.values();
    if (v.text.empty())
        return false;
    if (ctx.textState)
        v.storeIn(*ctx.textState);
    if (v.refusedAtEightDots()) {
        prompts.message(FontValues::eightDotMessage());
        return false;
    }
    element = *v.newElement(ctx.info);
    return true;
}

bool createPointer(QWidget *parent, Prompts &prompts, CGraph &element, const FormContext &ctx)
{
    PointerCtrlValues values;
    values.ctrlId = ctx.nextControlId;
    values.centreX = element.m_ptStart.x();
    values.centreY = element.m_ptStart.y();
    PointerControlForm form(values, ctx.picturesFolder, prompts, parent);
    form.setFilesRequired(true);
    if (!prompts.runForm(form))
        return false;
    const QString missing = form.values().missingParts();
    if (!missing.isEmpty()) {
        prompts.message(missing);
        return false;
    }
    element = *form.values().newElement(ctx.info);
    return true;
}

bool createBitmap(QWidget *parent, Prompts &prompts, CGraph &element)
{
    BitmapValues values;
    values.fromElement(element);
    BitmapForm form(values, prompts, parent);
    if (!prompts.runForm(form))
        return false;
    // The block count stays the one of the picture file the tool measured.
    const int blocks = element.m_nAttr;
    form.values().toElement(element);
    element.m_nAttr = blocks;
    return true;
}

} // namespace

PropertyEdit editElementProperties(QWidget *parent, Prompts &prompts, CGraph &element, const FormContext &ctx)
{
    switch (element.m_nKind) {
    case Kind::Line: return editWith<LineForm, LineValues>(parent, prompts, element);
    case Kind::HollowRect:
    case Kind::SolidRect: return editWith<RectangleForm, RectangleValues>(parent, prompts, element);
    case Kind::HollowEllipse:
    case Kind::SolidEllipse: return editWith<EllipseForm, EllipseValues>(parent, prompts, element);
    case Kind::HollowCircle:
    case Kind::SolidCircle: return editWith<CircleForm, CircleValues>(parent, prompts, element);
    case Kind::Text: return editText(parent, prompts, element, ctx);
    case Kind::Bitmap: return editWith<BitmapForm, BitmapValues>(parent, prompts, element);
    case Kind::GroupBox: return editWith<GroupBoxForm, GroupBoxValues>(parent, prompts, element);
    case Kind::Panel: return editWith<PanelForm, PanelValues>(parent, prompts, element);
    case Kind::StringCtrl: return editWith<StringControlForm, StringCtrlValues>(parent, prompts, element);
    case Kind::PointerCtrl: {
        PointerCtrlValues values;
        values.fromElement(element);
        PointerControlForm form(values, ctx.picturesFolder, prompts, parent);
        if (!prompts.runForm(form))
            return PropertyEdit::Cancelled;
        return outcome(form.values().toElement(element));
    }
    case Kind::NumericCtrl: return editWith<NumericControlForm, NumericValues>(parent, prompts, element);
    case Kind::BarCtrl: return editWith<BarGraphControlForm, BarCtrlValues>(parent, prompts, element);
    case Kind::ImageCtrl: return editWith<ImageControlForm, ImageCtrlValues>(parent, prompts, element);
    case Kind::TextCtrl: return editWith<TextControlForm, TextCtrlValues>(parent, prompts, element);
    case Kind::ButtonCtrl: return editWith<ButtonControlForm, ButtonValues>(parent, prompts, element);
    default: return PropertyEdit::NoForm;
    }
}

bool createElementWithForm(QWidget *parent, Prompts &prompts, CGraph &element, const FormContext &ctx)
{
    const QPoint start = element.m_ptStart;
    const QSize size(wrapSub(element.m_ptEnd.x(), start.x()), wrapSub(element.m_ptEnd.y(), start.y()));
    const int id = ctx.nextControlId;
    switch (element.m_nKind) {
    case Kind::Text: return createText(parent, prompts, element, ctx);
    case Kind::Bitmap: return createBitmap(parent, prompts, element);
    case Kind::StringCtrl:
        return createWith<StringControlForm>(parent, prompts, element, placedValues<StringCtrlValues>(id, start), ctx);
    case Kind::PointerCtrl: return createPointer(parent, prompts, element, ctx);
    case Kind::NumericCtrl:
        return createWith<NumericControlForm>(parent, prompts, element, placedValues<NumericValues>(id, start), ctx);
    case Kind::BarCtrl:
        return createWith<BarGraphControlForm>(parent, prompts, element, sizedValues<BarCtrlValues>(id, start, size), ctx);
    case Kind::ImageCtrl:
        return createWith<ImageControlForm>(parent, prompts, element, sizedValues<ImageCtrlValues>(id, start, size), ctx);
    case Kind::ButtonCtrl: {
        ButtonValues v = sizedValues<ButtonValues>(id, start, size);
        v.borderWidth = 3;
        v.sendCoordinates = false;
        v.sendId = true;
        return createWith<ButtonControlForm>(parent, prompts, element, v, ctx);
    }
    default: return false;
    }
}

namespace {

// Runs a creation form and returns what it built, refusals included.
template <class Form, class Values>
std::optional<CGraph> buildWith(Prompts &prompts, Form &form, const NewElementInfo &info)
{
    if (!prompts.runForm(form))
        return std::nullopt;
    return form.values().makeElement(info);
}

template <class Form, class Values>
std::optional<CGraph> buildWith(QWidget *parent, Prompts &prompts, const Values &values, const NewElementInfo &info)
{
    Form form(values, prompts, parent);
    return buildWith<Form, Values>(prompts, form, info);
}

} // namespace

std::optional<CGraph> runCreationForm(QWidget *parent, Prompts &prompts, const FormRequest &request, const QString &picturesFolder)
{
    const QPoint at = request.position;
    switch (request.tool) {
    case Kind::Text:
        return buildWith<CharactersForm>(parent, prompts, FontValues::forNewText(at, request.text), request.info);
    case Kind::StringCtrl:
        return buildWith<StringControlForm>(parent, prompts, placedValues<StringCtrlValues>(request.controlId, at),
                                           request.info);
    case Kind::PointerCtrl: {
        PointerCtrlValues v;
        v.ctrlId = request.controlId;
        v.centreX = at.x();
        v.centreY = at.y();
        PointerControlForm form(v, picturesFolder, prompts, parent);
        form.setFilesRequired(true);
        return buildWith<PointerControlForm, PointerCtrlValues>(prompts, form, request.info);
    }
    case Kind::NumericCtrl:
        return buildWith<NumericControlForm>(parent, prompts, placedValues<NumericValues>(request.controlId, at),
                                           request.info);
    case Kind::BarCtrl:
        return buildWith<BarGraphControlForm>(
            parent, prompts, sizedValues<BarCtrlValues>(request.controlId, at, request.size), request.info);
    case Kind::ImageCtrl:
        return buildWith<ImageControlForm>(
            parent, prompts, sizedValues<ImageCtrlValues>(request.controlId, at, request.size), request.info);
    case Kind::ButtonCtrl: {
        ButtonValues v = sizedValues<ButtonValues>(request.controlId, at, request.size);
        v.borderWidth = request.borderWidth;
        v.sendCoordinates = request.sendCoordinates;
        v.sendId = request.sendId;
        return buildWith<ButtonControlForm>(parent, prompts, v, request.info);
    }
    default: return std::nullopt;
    }
}

bool runBitmapForm(QWidget *parent, Prompts &prompts, PlacedPicture &picture)
{
    BitmapValues v;
    v.title = picture.title;
    v.x = picture.position.x();
    v.y = picture.position.y();
    v.width = picture.size.width();
    v.height = picture.size.height();
    v.blocks = picture.blocks;
    v.pictureNumber = picture.number;
    BitmapForm form(v, prompts, parent);
    if (!prompts.runForm(form))
        return false;
    const BitmapValues &out = form.values();
    picture.number = out.pictureNumber;
    picture.position = QPoint(out.x, out.y);
    picture.size = QSize(out.width, out.height);
    return true;
}

bool editPalette(QWidget *parent, Prompts &prompts, PaletteValues &values)
{
    PaletteForm form(values, prompts, parent);
    if (!prompts.runForm(form))
        return false;
    values = form.values();
    return true;
}

} // namespace h5
