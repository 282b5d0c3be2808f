#include "core/settings/paramappli.h"

#include "core/files/filesystem.h"
#include "core/files/paths.h"

#include <variant>

// The single table of settings: section, key, field and default, in the order the file is written.
struct SettingTable {
    using Field = std::variant<QString TParamAppli::*, int TParamAppli::*, bool TParamAppli::*>;
    struct Entry {
        const char *section;
        const char *key;
        Field field;
        const char *defaultText; // string settings
        int defaultNumber;       // integer and boolean settings
        bool written;
    };

    static const std::vector<Entry> &entries()
    {
        using P = TParamAppli;
        static const std::vector<Entry> table = {
            {"General", "LecteurCarte", &P::LecteurCarte, nullptr, 0, true}, // default depends on the login
            {"General", "RepertoirePhoto", &P::RepertoirePhoto, "", 0, true},
            {"General", "MasqueNomPhoto", &P::MasqueNomPhoto, "#AAAA-#M-#J - #THEME #N", 0, true},
            {"General", "RotationAuto", &P::RotationAuto, nullptr, 0, true},
            {"General", "ExportInfoExif", &P::ExportInfoExif, nullptr, 0, true},
            {"General", "RepertoireSpecif", &P::RepertoireSpecif, nullptr, 0, true},
            {"General", "MasqueRepertoire", &P::MasqueRepertoire, "", 0, true},
            {"General", "SupprimerPhoto", &P::SupprimerPhoto, nullptr, 0, true},
            {"General", "MiniatureBatch", &P::m_miniatureBatch, nullptr, 1, true},
            {"General", "RepertoireAIgnorer", &P::RepertoireAIgnorer, "", 0, true},
            {"General", "ModeAffichagePP", &P::ModeAffichagePP, nullptr, 0, true},
            {"General", "ExtensionSupp", &P::ExtensionSupp, "", 0, true},
            {"General", "EjecterCarte", &P::EjecterCarte, nullptr, 0, true},
            {"General", "AutresFormats", &P::AutresFormats, nullptr, 0, true},
            {"ImagesLowQ", "Qualite", &P::Qualite, nullptr, 40, true},
            {"ImagesLowQ", "Suffixe", &P::Suffixe, "Low", 0, true},
            {"ImagesLowQ", "Repertoire", &P::Repertoire, "Basse Resolution", 0, true},
            {"ImagesLowQ", "Activer", &P::ActiverLowQ, nullptr, 0, true},
            {"ImagesLowQ", "Redimensionner", &P::Redimensionner, nullptr, 0, true},
            {"ImagesLowQ", "IndiceNewDim", &P::IndiceNewDim, nullptr, 0, true},
            {"ImagesLowQ", "GarderInfoEXIF", &P::GarderInfoEXIF, nullptr, 1, true},
            {"ImagesLowQ", "GarderInfoDateEXIF", &P::GarderInfoDateEXIF, nullptr, 0, true},
            {"Diaporama", "Executer", &P::Executer, nullptr, 1, true},
            {"Diaporama", "Activer", &P::ActiverDiaporama, nullptr, 1, true},
            {"Diaporama", "Tempo", &P::Tempo, nullptr, 5, true},
            {"Diaporama", "AfficherNom", &P::AfficherNom, nullptr, 0, true},
            {"Diaporama", "Boucler", &P::Boucler, nullptr, 0, true},
            {"Diaporama", "CacherCurseur", &P::CacherCurseur, nullptr, 1, true},
            // Read but never written: it is set only by editing the file.
            {"General", "GestionEXIF", &P::GestionEXIF, nullptr, 1, false},
        };
        return table;
    }
};

namespace {
template<class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template<class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;
} // namespace

TParamAppli::TParamAppli(const QString &filePath) : m_file(filePath)
{
    LireParametres();
}

QString TParamAppli::folder() const
{
    return FileSystem::folderOf(FileSystem::absolutePath(m_file.path()));
}

void TParamAppli::LireParametres()
{
    m_file.reload();
    for (const SettingTable::Entry &e : SettingTable::entries()) {
        const QString section = QLatin1String(e.section);
        const QString key = QLatin1String(e.key);
        std::visit(Overloaded{
                       [&](QString TParamAppli::*f) {
                           const QString defaults = e.defaultText ? QString::fromUtf8(e.defaultText) : Paths::defaultCardReader();
                           this->*f = m_file.readString(section, key, defaults);
                       },
                       [&](int TParamAppli::*f) { this->*f = m_file.readInteger(section, key, e.defaultNumber); },
                       [&](bool TParamAppli::*f) { this->*f = m_file.readBool(section, key, e.defaultNumber != 0); },
                   },
                   e.field);
    }
    LecteurCarte = Paths::withSeparator(LecteurCarte);
}

void TParamAppli::EcrireParametres()
{
    LecteurCarte = Paths::withSeparator(LecteurCarte);
    RepertoirePhoto = Paths::withSeparator(RepertoirePhoto);
    for (const SettingTable::Entry &e : SettingTable::entries()) {
        if (!e.written)
            continue;
        const QString section = QLatin1String(e.section);
        const QString key = QLatin1String(e.key);
        std::visit(Overloaded{
                       [&](QString TParamAppli::*f) { m_file.writeString(section, key, this->*f); },
                       [&](int TParamAppli::*f) { m_file.writeInteger(section, key, this->*f); },
                       [&](bool TParamAppli::*f) { m_file.writeBool(section, key, this->*f); },
                   },
                   e.field);
    }
    m_file.flush();
}

void TParamAppli::setMiniatureBatch(bool value)
{
    m_miniatureBatch = value;
    m_file.writeBool(QStringLiteral("General"), QStringLiteral("MiniatureBatch"), value);
    m_file.flush();
}

void TParamAppli::rememberSource(const QString &source)
{
    LecteurCarte = source;
    m_file.writeString(QStringLiteral("General"), QStringLiteral("LecteurCarte"), source);
    m_file.flush();
}

QStringList TParamAppli::describe() const
{
    QStringList lines;
    for (const SettingTable::Entry &e : SettingTable::entries()) {
        const QString name = QLatin1String(e.section) + u'/' + QLatin1String(e.key) + u'=';
        std::visit(Overloaded{
                       [&](QString TParamAppli::*f) { lines << name + this->*f; },
                       [&](int TParamAppli::*f) { lines << name + QString::number(this->*f); },
                       [&](bool TParamAppli::*f) { lines << name + (this->*f ? u'1' : u'0'); },
                   },
                   e.field);
    }
    return lines;
}

TParamAppli::Values TParamAppli::values() const
{
    Values values;
    for (const SettingTable::Entry &e : SettingTable::entries())
        std::visit([&](auto TParamAppli::*f) { values.emplace_back(this->*f); }, e.field);
    return values;
}

void TParamAppli::restore(const Values &values)
{
    const auto &entries = SettingTable::entries();
    if (values.size() != entries.size())
        return;
    for (size_t i = 0; i < entries.size(); ++i)
        std::visit(
            [&](auto TParamAppli::*f) {
                using Value = std::remove_reference_t<decltype(this->*f)>;
                if (const Value *value = std::get_if<Value>(&values[i]))
                    this->*f = *value;
            },
            entries[i].field);
}
