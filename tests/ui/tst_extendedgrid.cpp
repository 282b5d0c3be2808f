// The extended grid: column definitions, selection and keys, key filters, decimal editing,
// display patterns, image and button cells, French locale.
#include "controls/calendrier.h"
#include "controls/grid/editeurcellule.h"
#include "controls/grid/extendedgrid.h"
#include "controls/grid/griddelegate.h"
#include "controls/grid/masqueaffichage.h"
#include "controls/saisiedate.h"
#include "controls/saisieheure.h"
#include "core/exif/datetimevalue.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

// A shown, active window holding the grid, so that focus and drawing behave as for a user.
struct Fenetre {
    QWidget fenetre;
    TExtendedGrid *grille;
    QLineEdit *autre; // the next control in the tab order
    bool actif = false;
    Fenetre()
    {
        auto *colonne = new QVBoxLayout(&fenetre);
        grille = new TExtendedGrid(&fenetre);
        colonne->addWidget(grille);
        autre = new QLineEdit(&fenetre);
        colonne->addWidget(autre);
        fenetre.resize(600, 300);
        fenetre.show();
        QApplication::setActiveWindow(&fenetre);
        actif = QTest::qWaitForWindowActive(&fenetre);
        grille->setFocus(Qt::OtherFocusReason);
    }
    QPoint centre(int colonne, int ligne) const
    {
        return grille->visualRect(grille->model()->index(ligne, colonne)).center();
    }
    void cliquer(int colonne, int ligne) const
    {
        QTest::mouseClick(grille->viewport(), Qt::LeftButton, {}, centre(colonne, ligne));
    }
    QPoint courante() const { return {grille->Col(), grille->Row()}; }
    EditeurCellule *editeur() const { return grille->findChild<EditeurCellule *>(); }
    QColor pixel(const QPoint &point) const { return grille->viewport()->grab().toImage().pixelColor(point); }
};

// Runs the action and answers every message box it shows; returns their titles and texts.
QStringList messagesDe(const std::function<void()> &action)
{
    QStringList textes;
    auto veille = std::make_shared<std::function<void()>>();
    *veille = [&textes, veille] {
        if (auto *boite = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            textes << boite->windowTitle() + QLatin1Char('|') + boite->text();
            boite->defaultButton()->click();
        }
        QTimer::singleShot(10, [veille] { (*veille)(); });
    };
    QTimer::singleShot(0, [veille] { (*veille)(); });
    QWidget *fenetre = QApplication::activeWindow();
    action();
    QCoreApplication::processEvents();
    // The offscreen platform does not give the activation back when a box closes.
    if (fenetre && !QApplication::activeWindow()) {
        QApplication::setActiveWindow(fenetre);
        QCoreApplication::processEvents();
    }
    *veille = [] {};
    return textes;
}

// Types the text key by key, characters beyond ASCII included.
void taper(QWidget *cible, const QString &texte)
{
    for (const QChar c : texte) {
        // The first key may open an editor, which then takes the following ones.
        QWidget *recepteur = QApplication::focusWidget() ? QApplication::focusWidget() : cible;
        QKeyEvent appui(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(recepteur, &appui);
        QKeyEvent relache(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(recepteur, &relache);
    }
}

// Columns 1 to 3 and rows 1 to 3 are cells; column 0 and row 0 are fixed.
void grille4x4(TExtendedGrid &grille)
{
    grille.setColCount(4);
    grille.setRowCount(4);
    for (int c = 0; c < 4; ++c)
        grille.Colonnes().Add();
}

// Opens the editor of the cell (column, row 1) with Return, lets `action` work in it, then closes
// it with `fin`; false when no editor of that kind opened or it did not close.
template <typename Edition>
bool editerCellule(TExtendedGrid &grille, int colonne, const std::function<void(Edition *)> &action,
                   Qt::Key fin = Qt::Key_Return)
{
    grille.setFocus();
    if (!grille.setCelluleCourante(colonne, 1))
        return false;
    QTest::keyClick(&grille, Qt::Key_Return);
    auto *edition = grille.findChild<Edition *>();
    if (!edition)
        return false;
    action(edition);
    QTest::keyClick(edition, fin);
    return QTest::qWaitFor([&grille] { return !grille.findChild<Edition *>(); });
}

QPixmap pastille(const QColor &couleur)
{
    QPixmap image(16, 16);
    image.fill(couleur);
    return image;
}

const QString Syntaxe = QStringLiteral("Erreur|Il y a une erreur dans la chaine saisie.\n"
                                       "Le format est : \n"
                                       " - Chaque caractère doit être séparé par un ;\n"
                                       " - Les plages de caractères sont définie avec CarDebut..CarFin (ex A..L).");
const QString Incoherent = QStringLiteral("Erreur|La valeur saisi est incohérente avec à la valeur de NbDecimal.\n"
                                          "MaxLength = propriété NbDecimal + 1(le séparateur décimal) + Nb chiffre avant virgule.");

} // namespace

class TestExtendedGrid : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    // --- The EXIF table's configuration ----------------------------------------------------

    void tableExifSansSelection()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        g.setColCount(2);
        g.setFixedCols(0);
        g.setRowCount(40);
        g.setDefaultRowHeight(18);
        g.setFixedColor(QColor(0, 128, 255));
        const QStringList titres{"Information", "Valeur"};
        for (int i = 0; i < 2; ++i) {
            TColonne &colonne = g.Colonnes().Add();
            colonne.setLargeur(i == 0 ? 130 : 160);
            colonne.Titre().setCaption(titres[i]);
            colonne.Titre().setFontColor(Qt::white);
            colonne.setArretCellule(false);
        }
        for (int r = 1; r < 40; ++r)
            g.setCells(0, r, QStringLiteral("Info %1").arg(r));
        QCOMPARE(g.ColWidths(0), 130);
        QCOMPARE(g.ColWidths(1), 160);
        QCOMPARE(g.rowHeight(1), 18);
        // Nothing is selected on entering, clicking or with any moving key.
        QCOMPARE(f.courante(), QPoint(-1, -1));
        f.cliquer(1, 2);
        for (const auto touche : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_PageDown})
            QTest::keyClick(&g, touche);
        QCOMPARE(f.courante(), QPoint(-1, -1));
        QVERIFY(!g.setCelluleCourante(1, 2));
        QVERIFY(g.selectionModel()->selectedIndexes().isEmpty());
        // The title row stays in place, in its colour, while the cells scroll.
        QVERIFY(g.verticalScrollBar()->value() > 0);
        const QImage image = g.grab().toImage();
        const QRect bande = g.horizontalHeader()->geometry();
        QCOMPARE(bande.height(), 18);
        QCOMPARE(image.pixelColor(bande.left() + 100, bande.top() + 2), QColor(0, 128, 255));
        // Emptied for the next photo, the table keeps its title row, alone if need be.
        g.setRowCount(0);
        QCOMPARE(g.FixedRows(), 0);
        g.setRowCount(1);
        QCOMPARE(g.FixedRows(), 1);
        QVERIFY(g.horizontalHeader()->isVisibleTo(&f.fenetre));
        QVERIFY(g.isRowHidden(0));
        g.setRowCount(3);
        QVERIFY(!g.isRowHidden(1));
        QCOMPARE(g.rowHeight(2), 18);
    }

    // --- Definitions -----------------------------------------------------------------------

    void colonneSansDefinitionToutSimple()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        g.setColCount(3);
        g.setFixedCols(0);
        g.setOptions(TExtendedGrid::goEditing);
        for (int i = 0; i < 2; ++i) {
            TColonne &colonne = g.Colonnes().Add();
            colonne.setArretCellule(false);
            QVERIFY(colonne.Saisie().setFiltreTouche(QStringLiteral("0..9")));
        }
        QVERIFY(!g.definitionCellule(2, 1));
        QCOMPARE(g.ColWidths(2), g.DefaultColWidth());
        f.cliquer(2, 1);
        QCOMPARE(f.courante(), QPoint(2, 1));
        // No filter: anything may be typed, and the value goes in unchecked.
        taper(&g, QStringLiteral("M!é 7"));
        QVERIFY(f.editeur());
        QTest::keyClick(f.editeur(), Qt::Key_Return);
        QTRY_COMPARE(g.Cells(2, 1), QStringLiteral("M!é 7"));
        // Left and Right skip the columns the cursor may not stop on, row after row.
        QTest::keyClick(&g, Qt::Key_Right);
        QCOMPARE(f.courante(), QPoint(2, 2));
    }

    void copieDeTravailParCellule()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        int appels = 0;
        g.OnGetCellule = [&appels](TExtendedGrid *, int colonne, int ligne, TColonne &cellule) {
            ++appels;
            if (colonne == 1 && ligne == 2) {
                cellule.setArretCellule(false);
                cellule.Affichage().setColor(Qt::yellow);
            }
        };
        QVERIFY(!g.peutSelectionner(1, 2));
        QVERIFY(g.peutSelectionner(1, 1));
        QVERIFY(g.peutSelectionner(1, 3));
        QVERIFY(appels > 0);
        // The column's own definition is untouched.
        QVERIFY(g.Colonnes()[1].ArretCellule());
        QCOMPARE(g.Colonnes()[1].Affichage().Color(), QColor(Qt::white));
        QCOMPARE(f.pixel(f.centre(1, 2)), QColor(Qt::yellow));
        QCOMPARE(f.pixel(f.centre(1, 3)), QColor(Qt::white));
        QCOMPARE(f.pixel(f.centre(2, 2)), QColor(Qt::white));
    }

    void largeursEtCopieDesDefinitions()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        g.setColCount(3);
        TColonne &premiere = g.Colonnes().Add();
        TExtendedGridColonnes colonnes;
        colonnes.Add().setLargeur(40);
        TColonne &seconde = colonnes.Add();
        seconde.setLargeur(90);
        seconde.Titre().setCaption(QStringLiteral("Nom"));
        seconde.Saisie().setValeurCombo({"a", "b"});
        g.setColonnes(colonnes);
        QCOMPARE(g.Colonnes().Count(), 2);
        QCOMPARE(&g.Colonnes()[0], &premiere); // a definition in place stays where it is
        QCOMPARE(g.ColWidths(0), 40);
        QCOMPARE(g.ColWidths(1), 90);
        // The grid holds copies: changing the source changes nothing, and the reverse.
        colonnes[1].setLargeur(10);
        QCOMPARE(g.ColWidths(1), 90);
        g.Colonnes()[1].setLargeur(120);
        QCOMPARE(g.ColWidths(1), 120);
        QCOMPARE(colonnes[1].Largeur(), 10);
        QCOMPARE(g.Colonnes()[1].Saisie().ValeurCombo(), QStringList({"a", "b"}));
        // A border dragged by the user gives the definition its new width.
        g.setOptions(TExtendedGrid::goColSizing);
        QCOMPARE(g.horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
        g.horizontalHeader()->resizeSection(1, 100);
        QCOMPARE(g.Colonnes()[1].Largeur(), 100);
        QCOMPARE(g.ColWidths(1), 100);
        QCOMPARE(g.Colonnes()[1].Index(), 1);
        QCOMPARE(g.Colonnes()[1].DisplayName(), QStringLiteral("TColonne"));
        // A new definition in a grid takes the grid's colours and default width.
        g.setColor(QColor(250, 250, 200));
        TColonne &nouvelle = g.Colonnes().Add();
        QCOMPARE(nouvelle.Affichage().Color(), QColor(250, 250, 200));
        QCOMPARE(nouvelle.Largeur(), g.DefaultColWidth());
    }

    // --- Moving with the keys --------------------------------------------------------------

    void flechesEnBoucle()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.Colonnes()[2].setArretCellule(false);
        g.BloquerCellule(3, 2);
        QCOMPARE(g.CellulesBloquees(), QStringList{"3-2"});
        QVERIFY(g.setCelluleCourante(1, 1));
        const auto apres = [&](Qt::Key touche) {
            QTest::keyClick(&g, touche);
            return f.courante();
        };
        QCOMPARE(apres(Qt::Key_Right), QPoint(3, 1)); // over the column that does not stop
        QCOMPARE(apres(Qt::Key_Right), QPoint(1, 2)); // to the next row
        QCOMPARE(apres(Qt::Key_Right), QPoint(1, 3)); // over the blocked cell
        QCOMPARE(apres(Qt::Key_Right), QPoint(3, 3));
        QCOMPARE(apres(Qt::Key_Right), QPoint(1, 1)); // from the last cell to the first
        QCOMPARE(apres(Qt::Key_Left), QPoint(3, 3));  // and back
        QCOMPARE(apres(Qt::Key_Up), QPoint(3, 1));    // over the blocked cell
        QCOMPARE(apres(Qt::Key_Up), QPoint(3, 3));    // from the top to the bottom
        QCOMPARE(apres(Qt::Key_Down), QPoint(3, 1));
        // A column where only one cell may be selected: Up and Down stay.
        g.BloquerCellule(3, 3);
        QCOMPARE(apres(Qt::Key_Down), QPoint(3, 1));
        // Blocking the cursor's cell takes the cursor away; a blocked cell takes no click.
        g.BloquerCellule(3, 1);
        QCOMPARE(f.courante(), QPoint(-1, -1));
        f.cliquer(3, 1);
        QCOMPARE(f.courante(), QPoint(-1, -1));
        g.DebloquerCellule(3, 1);
        f.cliquer(3, 1);
        QCOMPARE(f.courante(), QPoint(3, 1));
    }

    void flecheDroiteTrouveLaLigneSuivante()
    {
        // Only the second of two columns stops the cursor: Right goes on to the next row's
        // second column instead of giving up when the search reaches its starting column again.
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        g.setColCount(2);
        g.setFixedCols(0);
        g.Colonnes().Add().setArretCellule(false);
        g.Colonnes().Add();
        QVERIFY(g.setCelluleCourante(1, 1));
        QTest::keyClick(&g, Qt::Key_Right);
        QCOMPARE(f.courante(), QPoint(1, 2));
        QTest::keyClick(&g, Qt::Key_Left);
        QCOMPARE(f.courante(), QPoint(1, 1));
        QTest::keyClick(&g, Qt::Key_Left);
        QCOMPARE(f.courante(), QPoint(1, 4));
    }

    // --- Key filter --------------------------------------------------------------------------

    void syntaxeDuFiltre_data()
    {
        QTest::addColumn<QString>("filtre");
        QTest::addColumn<bool>("valide");
        QTest::addColumn<QString>("acceptes");
        QTest::addColumn<QString>("refuses");
        QTest::newRow("plages") << "A..L;0..9" << true << "ABL059" << "Mal ";
        QTest::newRow("vide") << "" << true << "aZ;é " << "";
        QTest::newRow("caractères seuls") << ".;," << true << ".," << "0;";
        QTest::newRow("point-virgule") << "a;;" << true << "a;" << "b";
        QTest::newRow("plage de points") << "...." << true << "." << ",";
        QTest::newRow("plage inversée") << "L..A" << false << "" << "";
        QTest::newRow("fin de plage manquante") << "A..;B" << false << "" << "";
        QTest::newRow("séparateur final") << "0..9;" << false << "" << "";
        QTest::newRow("point-virgule sans séparateur") << ";A" << false << "" << "";
        QTest::newRow("deux caractères") << "AB" << false << "" << "";
        QTest::newRow("deux points") << "A.B" << false << "" << "";
    }
    void syntaxeDuFiltre()
    {
        QFETCH(QString, filtre);
        QFETCH(bool, valide);
        QFETCH(QString, acceptes);
        QFETCH(QString, refuses);
        const std::optional<TouchesAutorisees> touches = TouchesAutorisees::lire(filtre);
        QCOMPARE(touches.has_value(), valide);
        for (const QChar c : acceptes)
            QVERIFY2(touches->accepte(c), qPrintable(QString(c)));
        for (const QChar c : refuses)
            QVERIFY2(!touches->accepte(c), qPrintable(QString(c)));
    }

    void filtreRefuseAvecMessage()
    {
        TColonne colonne;
        QVERIFY(colonne.Saisie().setFiltreTouche(QStringLiteral("A..L;0..9")));
        for (const QString &faux : {QStringLiteral("L..A"), QStringLiteral("A..L;0..9;")}) {
            bool accepte = true;
            QCOMPARE(messagesDe([&] { accepte = colonne.Saisie().setFiltreTouche(faux); }), QStringList{Syntaxe});
            QVERIFY(!accepte);
            QCOMPARE(colonne.Saisie().FiltreTouche(), QStringLiteral("A..L;0..9"));
        }
    }

    void frappeFiltree()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        QVERIFY(g.Colonnes()[1].Saisie().setFiltreTouche(QStringLiteral("A..L;0..9")));
        QVERIFY(g.setCelluleCourante(1, 1));
        // The key that opens the editor is filtered like the others.
        taper(&g, QStringLiteral("MB"));
        QVERIFY(f.editeur());
        QTest::keyClicks(f.editeur(), QStringLiteral("5Mz-C"));
        QCOMPARE(f.editeur()->text(), QStringLiteral("B5C"));
        // What is pasted passes the same filter.
        f.editeur()->selectAll();
        f.editeur()->insert(QStringLiteral("AM"));
        QCOMPARE(f.editeur()->text(), QStringLiteral("B5C"));
        QTest::keyClick(f.editeur(), Qt::Key_Enter);
        QTRY_COMPARE(g.Cells(1, 1), QStringLiteral("B5C"));
    }

    void formatsParDefaut_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("filtre");
        QTest::addColumn<int>("longueur");
        QTest::newRow("nombre") << int(fcNombre) << "0..9" << 0;
        QTest::newRow("décimal") << int(fcNombreDecimal) << "0..9;.;," << 0;
        QTest::newRow("date") << int(fcDate) << "0..9;/" << 10;
        QTest::newRow("heure") << int(fcHeure) << "0..9;:" << 5;
    }
    void formatsParDefaut()
    {
        QFETCH(int, format);
        QFETCH(QString, filtre);
        QFETCH(int, longueur);
        TColonne colonne;
        colonne.Saisie().setFormat(TFormatCellule(format));
        QCOMPARE(colonne.Saisie().FiltreTouche(), filtre);
        QCOMPARE(colonne.Saisie().MaxLength(), longueur);
        // A filter of one's own stays through a change of format.
        TColonne propre;
        QVERIFY(propre.Saisie().setFiltreTouche(QStringLiteral("0..5")));
        propre.Saisie().setFormat(TFormatCellule(format));
        QCOMPARE(propre.Saisie().FiltreTouche(), QStringLiteral("0..5"));
    }

    void signeEtChangementDeFormat()
    {
        TSaisieCellule saisie;
        saisie.setAutoriseSigne(true); // no effect on text
        QCOMPARE(saisie.FiltreTouche(), QString());
        saisie.setFormat(fcNombre);
        QCOMPARE(saisie.FiltreTouche(), QStringLiteral("0..9;-"));
        saisie.setAutoriseSigne(false);
        QCOMPARE(saisie.FiltreTouche(), QStringLiteral("0..9"));
        saisie.setAutoriseSigne(true);
        saisie.setAutoriseSigne(true); // already allowed: not added twice
        QCOMPARE(saisie.FiltreTouche(), QStringLiteral("0..9;-"));
        // The filter a format set follows the next format, so a date's "/" does not stay in a
        // decimal column that could then not take its comma.
        saisie.setFormat(fcDate);
        QCOMPARE(saisie.FiltreTouche(), QStringLiteral("0..9;/"));
        saisie.setFormat(fcNombreDecimal);
        QCOMPARE(saisie.FiltreTouche(), QStringLiteral("0..9;.;,;-"));
        // Only the sign item goes, not a range that starts with the sign.
        QVERIFY(saisie.setFiltreTouche(QStringLiteral("-..9;-")));
        saisie.setAutoriseSigne(false);
        QCOMPARE(saisie.FiltreTouche(), QStringLiteral("-..9"));
    }

    // --- Decimal values --------------------------------------------------------------------

    void longueurIncoherente()
    {
        TSaisieCellule saisie;
        saisie.setFormat(fcNombreDecimal);
        QVERIFY(saisie.setNbDecimal(2));
        bool accepte = true;
        QCOMPARE(messagesDe([&] { accepte = saisie.setMaxLength(2); }), QStringList{Incoherent});
        QVERIFY(!accepte);
        QCOMPARE(saisie.MaxLength(), 0);
        QVERIFY(saisie.setMaxLength(6));
        QCOMPARE(saisie.chiffresAvantVirgule(), 3);
        // Nor may the decimals grow to fill the length.
        QCOMPARE(messagesDe([&] { accepte = saisie.setNbDecimal(6); }), QStringList{Incoherent});
        QVERIFY(!accepte);
        QCOMPARE(saisie.NbDecimal(), 2);
        // A date is always 10 long, whatever is asked.
        saisie.setFormat(fcDate);
        QVERIFY(saisie.setMaxLength(4));
        QCOMPARE(saisie.MaxLength(), 10);
    }

    void saisieDecimale()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        TSaisieCellule &saisie = g.Colonnes()[1].Saisie();
        saisie.setFormat(fcNombreDecimal);
        QVERIFY(saisie.setNbDecimal(2));
        QVERIFY(saisie.setMaxLength(6));
        QVERIFY(g.setCelluleCourante(1, 1));
        taper(&g, QStringLiteral("123"));
        EditeurCellule *editeur = f.editeur();
        QVERIFY(editeur);
        QCOMPARE(messagesDe([&] { QTest::keyClick(editeur, '4'); }),
                 QStringList{"Information|3 chiffres autorisés avant la virgule."});
        QCOMPARE(f.editeur(), editeur); // the editor stays open through the message
        // A full stop becomes the French comma; a second separator is refused without a word.
        QTest::keyClicks(editeur, QStringLiteral(".45"));
        QCOMPARE(editeur->text(), QStringLiteral("123,45"));
        QCOMPARE(messagesDe([&] { QTest::keyClicks(editeur, QStringLiteral(",.")); }), QStringList());
        editeur->setCursorPosition(6);
        QCOMPARE(messagesDe([&] { QTest::keyClick(editeur, '6'); }),
                 QStringList{"Information|2 chiffres autorisés après la virgule."});
        // A comma put among the digits may not make too many decimals either.
        editeur->setText(QStringLiteral("123"));
        editeur->setCursorPosition(0);
        QCOMPARE(messagesDe([&] { QTest::keyClick(editeur, ','); }),
                 QStringList{"Information|2 chiffres autorisés après la virgule."});
        editeur->setText(QStringLiteral("123,45"));
        QTest::keyClick(editeur, Qt::Key_Return);
        QTRY_COMPARE(g.Cells(1, 1), QStringLiteral("123,45"));
        // One digit allowed: the message says so in the singular.
        QVERIFY(saisie.setNbDecimal(1));
        QVERIFY(saisie.setMaxLength(3));
        QVERIFY(g.setCelluleCourante(1, 2));
        QTest::keyClick(&g, '1');
        QCOMPARE(messagesDe([&] { QTest::keyClick(f.editeur(), '2'); }),
                 QStringList{"Information|1 chiffre autorisé avant la virgule."});
    }

    void signeEnTeteSeulement()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        TSaisieCellule &saisie = g.Colonnes()[1].Saisie();
        saisie.setFormat(fcNombreDecimal);
        saisie.setAutoriseSigne(true);
        QVERIFY(saisie.setMaxLength(6));
        QVERIFY(g.setCelluleCourante(1, 1));
        // The sign is not one of the six: -123,45 may be typed whole.
        taper(&g, QStringLiteral("-12-3,45"));
        QCOMPARE(f.editeur()->text(), QStringLiteral("-123,45"));
        f.editeur()->setCursorPosition(0);
        QTest::keyClick(f.editeur(), '9'); // nothing before the sign
        QCOMPARE(f.editeur()->text(), QStringLiteral("-123,45"));
    }

    void valeurControleeAvantDEntrer()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        // With a mask of its own, a date cell is a plain field checked before it is entered.
        g.Colonnes()[1].Saisie().setFormat(fcDate);
        g.Colonnes()[1].Saisie().setEditMask(QStringLiteral("99/99/9999"));
        TSaisieCellule &mois = g.Colonnes()[2].Saisie();
        mois.setFormat(fcNombre);
        mois.setValeurMin(1);
        mois.setValeurMax(12);
        g.setCells(1, 1, QStringLiteral("14/02/2004"));
        QVERIFY(g.setCelluleCourante(1, 1));
        taper(&g, QStringLiteral("31a/02/2004"));
        QCOMPARE(f.editeur()->text(), QStringLiteral("31/02/2004"));
        QCOMPARE(messagesDe([&] { QTest::keyClick(f.editeur(), Qt::Key_Return); }),
                 QStringList{"Erreur|La date saisie n'est pas valide : écrivez-la sous la forme JJ/MM/AAAA."});
        QVERIFY(f.editeur());
        // Escape gives the cell its value back.
        QTest::keyClick(f.editeur(), Qt::Key_Escape);
        QTRY_VERIFY(!f.editeur());
        QCOMPARE(g.Cells(1, 1), QStringLiteral("14/02/2004"));

        QVERIFY(g.setCelluleCourante(2, 1));
        taper(&g, QStringLiteral("13"));
        QCOMPARE(messagesDe([&] { QTest::keyClick(f.editeur(), Qt::Key_Down); }),
                 QStringList{"Erreur|La valeur doit être comprise entre 1 et 12."});
        QCOMPARE(f.courante(), QPoint(2, 1));
        f.editeur()->setText(QStringLiteral("12"));
        QTest::keyClick(f.editeur(), Qt::Key_Down);
        QCOMPARE(g.Cells(2, 1), QStringLiteral("12"));
        QCOMPARE(f.courante(), QPoint(2, 2));
    }

    void cellulesDateEtHeure()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        g.Colonnes()[1].Saisie().setFormat(fcDate);
        g.Colonnes()[2].Saisie().setFormat(fcHeure);
        g.setCells(1, 1, QStringLiteral("28/02/2004"));
        g.setCells(2, 1, QStringLiteral("23:59"));

        // The date edit opens on the cell's day; its arrows step it, across the leap day.
        QDate montree;
        QVERIFY(editerCellule<TSaisieDate>(g, 1, [&](TSaisieDate *date) {
            montree = DateValue::toDate(date->LireDate());
            QTest::keyClick(date, Qt::Key_Up);
            QTest::keyClick(date, Qt::Key_Up);
        }));
        QCOMPARE(montree, QDate(2004, 2, 28));
        QCOMPARE(g.Cells(1, 1), QStringLiteral("01/03/2004"));
        // The calendar opened from the cell is a window of its own: the edit stays open under it
        // and takes the day chosen there.
        bool vu = false, resteOuverte = false;
        QVERIFY(editerCellule<TSaisieDate>(g, 1, [&](TSaisieDate *date) {
            QTimer::singleShot(0, [&vu] {
                auto *calendrier = qobject_cast<TforCalendrier *>(QApplication::activeModalWidget());
                if (!calendrier)
                    return;
                vu = true;
                calendrier->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"))->setSelectedDate(QDate(2004, 3, 10));
                QTest::mouseClick(calendrier->findChild<QPushButton *>(QStringLiteral("butValider")), Qt::LeftButton);
            });
            QTest::keyClick(date, Qt::Key_F4);
            resteOuverte = g.findChild<TSaisieDate *>() == date;
        }));
        QVERIFY(vu);
        QVERIFY(resteOuverte);
        QCOMPARE(g.Cells(1, 1), QStringLiteral("10/03/2004"));
        // A day that does not exist leaves the cell as it was; an emptied field empties it.
        QVERIFY(editerCellule<TSaisieDate>(g, 1, [](TSaisieDate *date) { date->setText(QStringLiteral("31/02/2004")); }));
        QCOMPARE(g.Cells(1, 1), QStringLiteral("10/03/2004"));
        QVERIFY(editerCellule<TSaisieDate>(g, 1, [](TSaisieDate *date) { date->setText(QString()); }));
        QCOMPARE(g.Cells(1, 1), QString());

        // The time edit opens on the cell's time and writes hours and minutes back.
        int minutes = -1;
        QVERIFY(editerCellule<TSaisieHeure>(g, 2, [&](TSaisieHeure *heure) {
            minutes = qRound(heure->LireHeure() * 1440);
            heure->EcrireHeure(9.5 / 24);
        }));
        QCOMPARE(minutes, 23 * 60 + 59);
        QCOMPARE(g.Cells(2, 1), QStringLiteral("09:30"));
        // Escape keeps the cell's value.
        QVERIFY(editerCellule<TSaisieHeure>(g, 2, [](TSaisieHeure *heure) { heure->EcrireHeure(0.25); }, Qt::Key_Escape));
        QCOMPARE(g.Cells(2, 1), QStringLiteral("09:30"));

        // A read-only date cell opens no edit.
        g.Colonnes()[1].Saisie().setReadOnly(true);
        QVERIFY(!editerCellule<TSaisieDate>(g, 1, [](TSaisieDate *) {}));
    }

    void sortieDUneCelluleEditee()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        g.setCells(1, 1, QStringLiteral("avant"));
        QSignalSpy sorties(&g, &TExtendedGrid::exitCellule);
        QVERIFY(g.setCelluleCourante(1, 1));
        QTest::keyClick(&g, Qt::Key_Right); // moving through cells without editing says nothing
        QTest::keyClick(&g, Qt::Key_Left);
        QCOMPARE(sorties.count(), 0);
        taper(&g, QStringLiteral("après"));
        QCOMPARE(g.AncienneValeurCelluleEnCours(), QStringLiteral("avant"));
        QTest::keyClick(f.editeur(), Qt::Key_Return);
        QTRY_COMPARE(g.Cells(1, 1), QStringLiteral("après"));
        QCOMPARE(sorties.count(), 0);
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(sorties.count(), 1);
        QCOMPARE(sorties.at(0), QVariantList({1, 1}));

        // Tab enters the value and goes on to the next control: the cursor left the cell too.
        taper(&g, QStringLiteral("x"));
        QTest::keyClick(f.editeur(), Qt::Key_Tab);
        QCOMPARE(g.Cells(1, 2), QStringLiteral("x"));
        QTRY_VERIFY(f.autre->hasFocus());
        QCOMPARE(sorties.count(), 2);
        QCOMPARE(sorties.at(1), QVariantList({1, 2}));
        // So does a click on another control while the editor is open.
        g.setFocus();
        taper(&g, QStringLiteral("y"));
        QVERIFY(f.editeur());
        f.autre->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(sorties.count(), 3);
        QCOMPARE(g.Cells(1, 2), QStringLiteral("y"));
    }

    void tabulationDansLaGrille()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setOptions(TExtendedGrid::goEditing | TExtendedGrid::goTabs);
        g.Colonnes()[2].setArretCellule(false);
        QVERIFY(g.setCelluleCourante(3, 1));
        QTest::keyClick(&g, Qt::Key_Tab);
        QCOMPARE(f.courante(), QPoint(1, 2));
        QTest::keyClick(&g, Qt::Key_Backtab);
        QCOMPARE(f.courante(), QPoint(3, 1));
        // From an editor, Tab enters the value and edits the next cell the cursor may stop on.
        taper(&g, QStringLiteral("v"));
        QTest::keyClick(f.editeur(), Qt::Key_Tab);
        QTRY_COMPARE(f.courante(), QPoint(1, 2));
        QCOMPARE(g.Cells(3, 1), QStringLiteral("v"));
        QVERIFY(g.hasFocus() || f.editeur());
        QVERIFY(!f.autre->hasFocus());
    }

    // --- Display patterns ------------------------------------------------------------------

    void masquesAffichage_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("masque");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("affiche");
        const QString g = QLocale().groupSeparator();
        QTest::newRow("date longue") << int(fcDate) << QLocale().dateFormat(QLocale::LongFormat) << "14/02/2004"
                                     << "samedi 14 février 2004";
        QTest::newRow("date courte") << int(fcDate) << "d MMM yy" << "14/02/2004" << "14 févr. 04";
        QTest::newRow("date impossible") << int(fcDate) << "dddd" << "31/02/2004" << "31/02/2004";
        QTest::newRow("heure") << int(fcHeure) << "HH' h 'mm" << "14:05" << "14 h 05";
        QTest::newRow("milliers") << int(fcNombreDecimal) << "#,##0.00" << "1234,5" << "1" + g + "234,50";
        QTest::newRow("point accepté") << int(fcNombre) << "0" << "41.6" << "42";
        QTest::newRow("décimales utiles") << int(fcNombreDecimal) << "0.##" << "3" << "3";
        QTest::newRow("arrondi") << int(fcNombreDecimal) << "0.##" << "3,14159" << "3,14";
        QTest::newRow("zéros") << int(fcNombre) << "0000" << "42" << "0042";
        QTest::newRow("sections négatives") << int(fcNombreDecimal) << "#,##0.00 €;(#,##0.00 €);néant" << "-2,5"
                                            << "(2,50 €)";
        QTest::newRow("section zéro") << int(fcNombreDecimal) << "0.00;-0.00;néant" << "0" << "néant";
        QTest::newRow("pas de zéro négatif") << int(fcNombreDecimal) << "0.0" << "-0,04" << "0,0";
        QTest::newRow("texte entre guillemets") << int(fcNombre) << "'N° '0" << "7" << "N° 7";
        QTest::newRow("pas un nombre") << int(fcNombre) << "0.00" << "abc" << "abc";
        QTest::newRow("texte libre") << int(fcChaine) << "0.00" << "12" << "12";
    }
    void masquesAffichage()
    {
        QFETCH(int, format);
        QFETCH(QString, masque);
        QFETCH(QString, texte);
        QFETCH(QString, affiche);
        TColonne colonne;
        colonne.Saisie().setFormat(TFormatCellule(format));
        colonne.Affichage().setMaskAffichage(masque);
        QCOMPARE(colonne.texteAffiche(texte), affiche);
    }

    void dateLongueDansLaGrille()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setColWidths(1, 40); // too narrow: the long date is cut and shown whole in a tooltip
        TColonne &date = g.Colonnes()[1];
        date.Saisie().setFormat(fcDate);
        date.Affichage().setMaskAffichage(QStringLiteral("dddd d MMMM yyyy"));
        g.setCells(1, 1, QStringLiteral("14/02/2004"));
        const QModelIndex index = g.model()->index(1, 1);
        QCOMPARE(g.delegate()->texteCoupe(g.visualRect(index), 1, 1), QStringLiteral("samedi 14 février 2004"));
        date.setLargeur(250);
        QCOMPARE(g.delegate()->texteCoupe(g.visualRect(index), 1, 1), QString());
        QCOMPARE(g.Cells(1, 1), QStringLiteral("14/02/2004"));
    }

    // --- Image, button and drop-down cells -------------------------------------------------

    void cellulesImage()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        TImageList images;
        images.Add(pastille(Qt::red));
        images.Add(pastille(Qt::green));
        TColonne &etat = g.Colonnes()[1];
        etat.setStyle(scImage);
        etat.setImages(&images);
        etat.setIndexImage(0);
        etat.Affichage().setAlignment(taCenter);
        QList<int> recus;
        etat.OnGetIndexImage = [&recus](TExtendedGrid *, int, int ligne, int &index) {
            recus << index;
            if (ligne == 2)
                index = 1;
            if (ligne == 3)
                index = 7; // no such picture: nothing drawn
        };
        QCOMPARE(f.pixel(f.centre(1, 1)), QColor(Qt::red));
        QCOMPARE(f.pixel(f.centre(1, 2)), QColor(Qt::green));
        QCOMPARE(f.pixel(f.centre(1, 3)), QColor(Qt::white));
        QVERIFY(!recus.isEmpty());
        QVERIFY(recus.count(0) == recus.size());
        // An image cell is never selected.
        f.cliquer(1, 2);
        QCOMPARE(f.courante(), QPoint(-1, -1));
        QVERIFY(g.setCelluleCourante(2, 1));
        QTest::keyClick(&g, Qt::Key_Left);
        QCOMPARE(f.courante(), QPoint(3, 3));
    }

    void cellulesBouton()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        TColonne &dossier = g.Colonnes()[2];
        dossier.setStyle(scBouton);
        dossier.setLargeurBouton(18);
        QList<QPoint> clics;
        dossier.OnBoutonClick = [&clics](TExtendedGrid *, int colonne, int ligne) { clics << QPoint(colonne, ligne); };
        QSignalSpy signal(&g, &TExtendedGrid::boutonClick);
        const QRect cellule = g.visualRect(g.model()->index(2, 2));
        const QRect bouton = TExtendedGrid::rectangleBouton(cellule, dossier);
        QCOMPARE(bouton.width(), 18);
        QCOMPARE(bouton.right(), cellule.right());
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, bouton.center());
        QCOMPARE(clics, QList<QPoint>{QPoint(2, 2)});
        QCOMPARE(signal.count(), 1);
        QCOMPARE(f.courante(), QPoint(2, 2));
        // Letting go outside the button is no click; a click beside it only selects.
        QTest::mousePress(g.viewport(), Qt::LeftButton, {}, bouton.center());
        QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, cellule.center() - QPoint(cellule.width() / 2 - 2, 0));
        f.cliquer(2, 3);
        QCOMPARE(clics.size(), 1);
        QCOMPARE(f.courante(), QPoint(2, 3));
        // F4 presses the button of the cursor's cell; a blocked cell's button does nothing.
        QTest::keyClick(&g, Qt::Key_F4);
        QCOMPARE(clics.last(), QPoint(2, 3));
        g.BloquerCellule(2, 1);
        g.cliquerBouton(2, 1);
        QCOMPARE(clics.size(), 2);
        QCOMPARE(signal.count(), 2);
    }

    void boutonAvecImage()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        TImageList images;
        images.Add(pastille(Qt::blue));
        g.setImagesBouton(&images);
        TColonne &colonne = g.Colonnes()[1];
        colonne.setStyle(scBouton);
        colonne.setLargeurBouton(20);
        colonne.setHauteurBouton(20);
        colonne.setIndexImageBouton(0);
        const QRect bouton = TExtendedGrid::rectangleBouton(g.visualRect(g.model()->index(1, 1)), colonne);
        QCOMPARE(f.pixel(bouton.center()), QColor(Qt::blue));
    }

    void listeDeroulante()
    {
        Fenetre f;
        TExtendedGrid &g = *f.grille;
        grille4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        TColonne &nom = g.Colonnes()[1];
        nom.setStyle(scCombo);
        nom.Saisie().setValeurCombo({"Alice", "Bruno", "Chloé"});
        nom.Saisie().setNbLigneCombo(2);
        g.setCells(1, 1, QStringLiteral("Bruno"));
        const QRect fleche = TExtendedGrid::rectangleBouton(g.visualRect(g.model()->index(1, 1)), nom);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, fleche.center());
        auto *liste = g.findChild<QComboBox *>();
        QVERIFY(liste);
        QCOMPARE(liste->currentText(), QStringLiteral("Bruno"));
        QCOMPARE(liste->maxVisibleItems(), 2);
        QTRY_VERIFY(liste->view()->isVisible());
        liste->hidePopup();
        liste->setCurrentIndex(2);
        emit liste->activated(2);
        QTRY_VERIFY(!g.findChild<QComboBox *>());
        QCOMPARE(g.Cells(1, 1), QStringLiteral("Chloé"));
        // A read-only cell may be selected but not edited.
        nom.Saisie().setReadOnly(true);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, fleche.center());
        QVERIFY(!g.findChild<QComboBox *>());
        QCOMPARE(f.courante(), QPoint(1, 1));
    }
};

QTEST_MAIN(TestExtendedGrid)
#include "tst_extendedgrid.moc"
