#pragma once
// The characters a grid cell lets the user type, read from its key filter text: single
// characters and ranges separated by ";", as in "A..L;0..9;-". An empty text lets every
// character through.
#include <QChar>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class AllowedKeys {
public:
    // Lets every character through.
    AllowedKeys() = default;

    // The filter a text describes; nothing when the text breaks the syntax or a range ends before
    // it starts. Each item is one character, or a first character, "..", a last character; items
    // are separated by ";" and none may be empty, so ";" itself is written as an item of its own
    // (";;0..9" allows the semicolon and the digits).
    static std::optional<AllowedKeys> read(const QString &content);

    bool accepts(QChar character) const;
    bool allPass() const { return m_ranges.empty(); }

    // Shown when a filter text is refused.
    static QString errorMessage();

private:
    std::vector<std::pair<char16_t, char16_t>> m_ranges;
};
