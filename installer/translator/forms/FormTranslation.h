#pragma once
// Translating Qt forms and setting their fonts for a language.
//
// Translation walks an object and, recursively, the objects it owns (Qt
// children, other windows excepted). Only text-bearing properties change:
// text, title, windowTitle, toolTip, placeholderText, and the items of list
// boxes, combo boxes, list-view columns and plain-text memos; a property is
// written back only when its text changed. objectName and style sheets are
// never touched.
#include <QWidget>

#include "installer/translator/Translator.h"

namespace installer {

// Translates c's texts from source into the translator's target. Returns
// the language the texts are in afterwards: the target (possibly tlUser)
// when the target language has lines, else source.
TTmslLanguage TranslateComponent(TTranslator& translator, TTmslLanguage source, QObject* c);
// The same into target; the translator's own target is restored afterwards.
TTmslLanguage TranslateComponentInto(TTranslator& translator, TTmslLanguage source, TTmslLanguage target,
                                     QObject* c);

// Sets the fonts of control and of every child widget for the target
// language (English settings when the target has no lines, unless
// noEnglishFallback).
void ApplyLanguageFont(TTranslator& translator, QWidget* control, bool noEnglishFallback);
void ApplyLanguageFontFor(TTranslator& translator, TTmslLanguage target, QWidget* control, bool noEnglishFallback);

// The same through GlobalTranslator; without one they change nothing and
// the form routines return source.
TTmslLanguage TranslateForm(TTmslLanguage source, QWidget* form);
TTmslLanguage TranslateFormInto(TTmslLanguage source, TTmslLanguage target, QWidget* form);
void SetFormLanguageFont(QWidget* form, bool noEnglishFallback);
void SetFormLanguageFontFor(TTmslLanguage target, QWidget* form, bool noEnglishFallback);

// The Windows character set of a widget's font, kept beside the font
// because Qt fonts have none (0 when never set).
void SetFontCharset(QWidget& widget, int charset);
int FontCharset(const QWidget& widget);

}  // namespace installer
