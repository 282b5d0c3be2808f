#pragma once
// The program's one settings store, kept in "Lumaro.ini" in the settings folder.
// Windows read the fields directly; only the settings dialog assigns them before EcrireParametres.
#include "core/settings/profilefile.h"

#include <QString>
#include <QStringList>

#include <variant>
#include <vector>

class TParamAppli {
public:
    // Binds the store to the file and reads every setting; a missing file is not an error.
    explicit TParamAppli(const QString &filePath);

    const QString &filePath() const { return m_file.path(); }
    // The folder that holds the settings file, with its trailing "/": the program's own folder
    // for the filter file, the histories and the version file.
    QString folder() const;

    void LireParametres();
    // Writes every setting but GestionEXIF. Throws LumaroError "Impossible d'écrire dans <path>".
    void EcrireParametres();

    bool MiniatureBatch() const { return m_miniatureBatch; }
    // Stores the value and writes that one key at once.
    void setMiniatureBatch(bool value);
    // The source chosen in the transfer set-up (a device's remembered address), written at once
    // so that the next transfer offers it again. Throws LumaroError when it cannot be written.
    void rememberSource(const QString &source);

    // "Section/Key=value" for every setting in table order, booleans as 0/1.
    QStringList describe() const;

    // The value of every setting in table order (MiniatureBatch and GestionEXIF included), to
    // put the store back as it was when a change could not be written.
    using Values = std::vector<std::variant<QString, int, bool>>;
    Values values() const;
    // Only the fields change; the file is left as it is.
    void restore(const Values &values);

    // General
    QString LecteurCarte;
    QString RepertoirePhoto;
    QString MasqueNomPhoto;
    bool RotationAuto = false;
    bool ExportInfoExif = false;
    bool RepertoireSpecif = false;
    QString MasqueRepertoire;
    bool SupprimerPhoto = false;
    QString RepertoireAIgnorer;
    int ModeAffichagePP = 0;
    QString ExtensionSupp;
    // Eject a removable card (through UDisks2) as soon as a transfer from it is over.
    bool EjecterCarte = false;
    // RAW, HEIF and video files are photos too, and the files of one folder that share a name
    // are transferred as one shot under one new name.
    bool AutresFormats = false;
    bool GestionEXIF = true;
    // ImagesLowQ
    int Qualite = 40;
    QString Suffixe;
    QString Repertoire;
    bool ActiverLowQ = false; // key Activer of section ImagesLowQ
    bool Redimensionner = false;
    int IndiceNewDim = 0;
    bool GarderInfoEXIF = true;
    bool GarderInfoDateEXIF = false;
    // Diaporama
    bool Executer = true;
    bool ActiverDiaporama = true; // key Activer of section Diaporama
    int Tempo = 5;
    bool AfficherNom = false;
    bool Boucler = false;
    bool CacherCurseur = true;

private:
    friend struct SettingTable;
    ProfileFile m_file;
    bool m_miniatureBatch = true;
};
