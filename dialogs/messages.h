#pragma once
// The message boxes every window uses, so errors, questions and progress look the same everywhere.
#include <QString>

void MessageErreur(const QString &text);
// The sound that goes with each box is left out (sonore false) where a window shows the plain
// framework box, as the update check does.
void MessageInformation(const QString &text, bool audible = true);
// "Avertissement" box with the warning icon and one "OK" button; the exclamation sound only
// when `audible` is set (an edit control plays it itself, when its Beep property asks for it).
void warningMessage(const QString &text, bool audible = true);
// True only when the user answers "&Oui"; Escape, "&Non" and closing the box are refusals.
bool MessageConfirmation(const QString &text, bool audible = true);

// "\r", "\n" and "\r\n" all become line breaks.
QString normalisedLines(const QString &text);
