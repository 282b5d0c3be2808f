#pragma once
// The message boxes the input controls show, kept in one place so that they follow the
// program's standard boxes.
#include <QString>

namespace MessagesControle {

// Beeps, then shows a modal box titled "Erreur" with a warning icon and one "OK" button.
void avertir(const QString &texte);

} // namespace MessagesControle
