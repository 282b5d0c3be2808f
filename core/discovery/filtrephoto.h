#pragma once
// The photo filter: which photos a search offers (new ones only, a text in the entry, a day).
// Its values come from "Filtre.ini" in the settings folder each time an object is created;
// the filter dialog edits them for the current run and can save them as the new defaults.
#include <QString>

class TFiltrePhoto {
public:
    // Reads the filter file of that settings folder (with its trailing "/") at once.
    explicit TFiltrePhoto(const QString &settingsFolder);

    const QString &filePath() const { return m_path; }

    // Missing or unreadable values give the defaults: every photo, no name and no date filter.
    void LireFiltre();
    // Writes the five keys, leaving the rest of the file as it was.
    // Throws LumaroError "Impossible d'écrire dans <path>" when the file cannot be saved.
    void EnregistrerFiltre() const;

    // "DDMMYYYY" of a date value; -1.0 (no date) is 29 December 1899, "29121899".
    static QString formatDate(double date);
    // The date value of a "DDMMYYYY" text; -1.0 when it is not such a date.
    static double parseDate(const QString &text);

    bool NouvellePhoto = false;
    QString FiltreNom;
    double FiltreDate = -1.0; // a day at midnight; -1.0: no date filter
    int TypeFiltreDate = 0;   // 0: that day only; other: later days only
    int TypeFiltreNom = 0;    // 0: keep the entries holding the text; other: drop them

private:
    QString m_path;
};
