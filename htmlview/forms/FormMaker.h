#pragma once
// Chooses and makes the control of an INPUT, SELECT or TEXTAREA tag:
// INPUT by its TYPE (lower-cased, at most 20 characters): "text" and
// "password" an edit, "submit", "reset" and "button" a button, "radio",
// "checkbox", "hidden" and "image" their classes, anything else an edit;
// SELECT a list box with MULTIPLE or SIZE > 1, else a drop-down list.
// The control joins currentForm (a form without attributes is made when
// there is none) and takes its place in the section: an image control as an
// inline image, a hidden one nowhere, the others as one placeholder.
#include "htmlview/util/Attributes.h"
#include "htmlview/util/HtmlSymbols.h"

namespace htmlview {

class TCell;
class TFormControlObj;
class TSection;
class TSectionList;
class ThtmlForm;

TFormControlObj* MakeHtmlFormControl(THtmlSymbol tag, TSectionList* document, ThtmlForm*& currentForm,
                                     TSection* section, TCell* cell, const TAttributeList& attributes);

}  // namespace htmlview
