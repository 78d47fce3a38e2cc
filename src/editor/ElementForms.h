#pragma once
// The forms behind "图元编辑" (工具 menu), a double click and the drawing tools that
// place through a form.
//
// The page view's way into the property forms: which form belongs to which
// element kind, for the element property command ("图元编辑", double click)
// and for the tools that build their element through a form.
//
// The forms run through the prompts given (modally in the app; tests fill
// a form and press OK without a modal loop), and refusals are told there.

#include "edit/FormContext.h"
#include "edit/ShapeValues.h"

#include <optional>

class QWidget;

namespace h5 {

class Prompts;
struct FormRequest;
struct PlacedPicture;

// What the element property command did to the element.
enum class PropertyEdit {
    NoForm,    // the kind has no form (fill, reserved, delete marker)
    Cancelled, // the form was cancelled; the element is unchanged
    Refused,   // OK, but the form's refusal rule left the element unchanged
    Written,   // OK; the values were written into the element
    Removed,   // OK; the caller removes the element from the page and destroys it
};

// Opens the form of `element`'s kind filled from it and, on OK, writes the
// values back (or says the element is to be removed). The characters form
// also updates ctx.textState and tells the user through `prompts` when
// an 8-dot text holds Chinese characters.
PropertyEdit editElementProperties(QWidget *parent, Prompts &prompts, CGraph &element, const FormContext &ctx);

// Creation through a form. On entry `element` holds the tool's kind in
// m_nKind and the gesture: m_ptStart the press point and, for the bar
// graph, image and button controls, m_ptEnd the (ordered) release point.
// For the bitmap tool it is the picture element the tool prepared (title,
// picture number, block count, texts, and m_ptEnd = start + picture size).
// The form starts from its defaults, ctx.nextControlId and the gesture. On
// OK the element is replaced by the new one and true is returned; Cancel, a
// refusal or a kind without a creation form return false and leave it
// alone. Refusals with a message (pointer without pointer file or dial,
// 8-dot Chinese text) go through `prompts`.
bool createElementWithForm(QWidget *parent, Prompts &prompts, CGraph &element, const FormContext &ctx);

// The same creation forms driven by the view's tool state machine
// (edit/ToolInteraction.h): opens the form a FormRequest asks for (the
// characters form or a control's form) with the request's initial values
// and, on OK, returns the element exactly as the form built it. The
// refusal rules are left to ToolInteraction::acceptCharacters and
// acceptControl, which show their own messages. Cancel gives nothing.
std::optional<CGraph> runCreationForm(QWidget *parent, Prompts &prompts, const FormRequest &request,
                                      const QString &picturesFolder = QString());
// The bitmap form for a picture the bitmap tool chose: the title, number,
// position, size and block count in `picture` are shown; OK takes back the
// number, position and size. The block count stays that of the file.
bool runBitmapForm(QWidget *parent, Prompts &prompts, PlacedPicture &picture);

// The palette form "颜色"; on OK `values` holds the chosen colours.
bool editPalette(QWidget *parent, Prompts &prompts, PaletteValues &values);

} // namespace h5
