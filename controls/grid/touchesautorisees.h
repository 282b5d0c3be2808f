#pragma once
// The characters a grid cell lets the user type, read from its key filter text: single
// characters and ranges separated by ";", as in "A..L;0..9;-". An empty text lets every
// character through.
#include <QChar>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class TouchesAutorisees {
public:
    // Lets every character through.
    TouchesAutorisees() = default;

    // The filter a text describes; nothing when the text breaks the syntax or a range ends before
    // it starts. Each item is one character, or a first character, "..", a last character; items
    // are separated by ";" and none may be empty, so ";" itself is written as an item of its own
    // (";;0..9" allows the semicolon and the digits).
    static std::optional<TouchesAutorisees> lire(const QString &texte);

    bool accepte(QChar caractere) const;
    bool toutPasse() const { return m_plages.empty(); }

    // Shown when a filter text is refused.
    static QString messageErreur();

private:
    std::vector<std::pair<char16_t, char16_t>> m_plages;
};
