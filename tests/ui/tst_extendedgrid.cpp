// The extended grid: column definitions, selection and keys, key filters, decimal editing,
// display patterns, image and button cells, French locale.
#include "controls/calendrier.h"
#include "controls/grid/celleditor.h"
#include "controls/grid/extendedgrid.h"
#include "controls/grid/griddelegate.h"
#include "controls/grid/displaymask.h"
#include "controls/saisiedate.h"
#include "controls/saisieheure.h"
#include "core/exif/datetimevalue.h"
#include "tests/testsupport.h"
#include "tests/ui/uisupport.h"

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

using UiSupport::messagesOf;
using UiSupport::typeText;

namespace {

// A shown, active window holding the grid, so that focus and drawing behave as for a user.
struct Window {
    QWidget window;
    TExtendedGrid *grid;
    QLineEdit *other; // the next control in the tab order
    bool active = false;
    Window()
    {
        auto *column = new QVBoxLayout(&window);
        grid = new TExtendedGrid(&window);
        column->addWidget(grid);
        other = new QLineEdit(&window);
        column->addWidget(other);
        window.resize(600, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        active = QTest::qWaitForWindowActive(&window);
        grid->setFocus(Qt::OtherFocusReason);
    }
    QPoint centre(int column, int line) const
    {
        return grid->visualRect(grid->model()->index(line, column)).center();
    }
    void click(int column, int line) const
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(column, line));
    }
    QPoint current() const { return {grid->Col(), grid->Row()}; }
    CellEditor *editor() const { return grid->findChild<CellEditor *>(); }
    QColor pixel(const QPoint &point) const { return grid->viewport()->grab().toImage().pixelColor(point); }
};

// Columns 1 to 3 and rows 1 to 3 are cells; column 0 and row 0 are fixed.
void grid4x4(TExtendedGrid &grid)
{
    grid.setColCount(4);
    grid.setRowCount(4);
    for (int c = 0; c < 4; ++c)
        grid.Colonnes().Add();
}

// Opens the editor of the cell (column, row 1) with Return, lets `action` work in it, then closes
// it with `end`; false when no editor of that kind opened or it did not close.
template <typename Editing>
bool editCell(TExtendedGrid &grid, int column, const std::function<void(Editing *)> &action,
                   Qt::Key end = Qt::Key_Return)
{
    grid.setFocus();
    if (!grid.setCurrentCell(column, 1))
        return false;
    QTest::keyClick(&grid, Qt::Key_Return);
    auto *edition = grid.findChild<Editing *>();
    if (!edition)
        return false;
    action(edition);
    QTest::keyClick(edition, end);
    return QTest::qWaitFor([&grid] { return !grid.findChild<Editing *>(); });
}

QPixmap dot(const QColor &colour)
{
    QPixmap image(16, 16);
    image.fill(colour);
    return image;
}

const QString Syntax = QStringLiteral("Erreur|Il y a une erreur dans la chaine saisie.\n"
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

    void exifTableWithoutSelection()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        g.setColCount(2);
        g.setFixedCols(0);
        g.setRowCount(40);
        g.setDefaultRowHeight(18);
        g.setFixedColor(QColor(0, 128, 255));
        const QStringList titles{"Information", "Valeur"};
        for (int i = 0; i < 2; ++i) {
            TColonne &column = g.Colonnes().Add();
            column.setLargeur(i == 0 ? 130 : 160);
            column.Titre().setCaption(titles[i]);
            column.Titre().setFontColor(Qt::white);
            column.setArretCellule(false);
        }
        for (int r = 1; r < 40; ++r)
            g.setCells(0, r, QStringLiteral("Info %1").arg(r));
        QCOMPARE(g.ColWidths(0), 130);
        QCOMPARE(g.ColWidths(1), 160);
        QCOMPARE(g.rowHeight(1), 18);
        // Nothing is selected on entering, clicking or with any moving key.
        QCOMPARE(f.current(), QPoint(-1, -1));
        f.click(1, 2);
        for (const auto key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_PageDown})
            QTest::keyClick(&g, key);
        QCOMPARE(f.current(), QPoint(-1, -1));
        QVERIFY(!g.setCurrentCell(1, 2));
        QVERIFY(g.selectionModel()->selectedIndexes().isEmpty());
        // The title row stays in place, in its colour, while the cells scroll.
        QVERIFY(g.verticalScrollBar()->value() > 0);
        const QImage image = g.grab().toImage();
        const QRect band = g.horizontalHeader()->geometry();
        QCOMPARE(band.height(), 18);
        QCOMPARE(image.pixelColor(band.left() + 100, band.top() + 2), QColor(0, 128, 255));
        // Emptied for the next photo, the table keeps its title row, alone if need be.
        g.setRowCount(0);
        QCOMPARE(g.FixedRows(), 0);
        g.setRowCount(1);
        QCOMPARE(g.FixedRows(), 1);
        QVERIFY(g.horizontalHeader()->isVisibleTo(&f.window));
        QVERIFY(g.isRowHidden(0));
        g.setRowCount(3);
        QVERIFY(!g.isRowHidden(1));
        QCOMPARE(g.rowHeight(2), 18);
    }

    // --- Definitions -----------------------------------------------------------------------

    void columnWithoutDefinitionIsPlain()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        g.setColCount(3);
        g.setFixedCols(0);
        g.setOptions(TExtendedGrid::goEditing);
        for (int i = 0; i < 2; ++i) {
            TColonne &column = g.Colonnes().Add();
            column.setArretCellule(false);
            QVERIFY(column.Saisie().setFiltreTouche(QStringLiteral("0..9")));
        }
        QVERIFY(!g.cellDefinition(2, 1));
        QCOMPARE(g.ColWidths(2), g.DefaultColWidth());
        f.click(2, 1);
        QCOMPARE(f.current(), QPoint(2, 1));
        // No filter: anything may be typed, and the value goes in unchecked.
        typeText(&g, QStringLiteral("M!é 7"));
        QVERIFY(f.editor());
        QTest::keyClick(f.editor(), Qt::Key_Return);
        QTRY_COMPARE(g.Cells(2, 1), QStringLiteral("M!é 7"));
        // Left and Right skip the columns the cursor may not stop on, row after row.
        QTest::keyClick(&g, Qt::Key_Right);
        QCOMPARE(f.current(), QPoint(2, 2));
    }

    void workingCopyPerCell()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        int calls = 0;
        g.OnGetCellule = [&calls](TExtendedGrid *, int column, int line, TColonne &cell) {
            ++calls;
            if (column == 1 && line == 2) {
                cell.setArretCellule(false);
                cell.Affichage().setColor(Qt::yellow);
            }
        };
        QVERIFY(!g.canSelect(1, 2));
        QVERIFY(g.canSelect(1, 1));
        QVERIFY(g.canSelect(1, 3));
        QVERIFY(calls > 0);
        // The column's own definition is untouched.
        QVERIFY(g.Colonnes()[1].ArretCellule());
        QCOMPARE(g.Colonnes()[1].Affichage().Color(), QColor(Qt::white));
        QCOMPARE(f.pixel(f.centre(1, 2)), QColor(Qt::yellow));
        QCOMPARE(f.pixel(f.centre(1, 3)), QColor(Qt::white));
        QCOMPARE(f.pixel(f.centre(2, 2)), QColor(Qt::white));
    }

    void widthsAndCopyOfDefinitions()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        g.setColCount(3);
        TColonne &first = g.Colonnes().Add();
        TExtendedGridColonnes columns;
        columns.Add().setLargeur(40);
        TColonne &second = columns.Add();
        second.setLargeur(90);
        second.Titre().setCaption(QStringLiteral("Nom"));
        second.Saisie().setValeurCombo({"a", "b"});
        g.setColonnes(columns);
        QCOMPARE(g.Colonnes().Count(), 2);
        QCOMPARE(&g.Colonnes()[0], &first); // a definition in place stays where it is
        QCOMPARE(g.ColWidths(0), 40);
        QCOMPARE(g.ColWidths(1), 90);
        // The grid holds copies: changing the source changes nothing, and the reverse.
        columns[1].setLargeur(10);
        QCOMPARE(g.ColWidths(1), 90);
        g.Colonnes()[1].setLargeur(120);
        QCOMPARE(g.ColWidths(1), 120);
        QCOMPARE(columns[1].Largeur(), 10);
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
        TColonne &fresh = g.Colonnes().Add();
        QCOMPARE(fresh.Affichage().Color(), QColor(250, 250, 200));
        QCOMPARE(fresh.Largeur(), g.DefaultColWidth());
    }

    // --- Moving with the keys --------------------------------------------------------------

    void arrowsWrapAround()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.Colonnes()[2].setArretCellule(false);
        g.lockCell(3, 2);
        QCOMPARE(g.lockedCells(), QStringList{"3-2"});
        QVERIFY(g.setCurrentCell(1, 1));
        const auto after = [&](Qt::Key key) {
            QTest::keyClick(&g, key);
            return f.current();
        };
        QCOMPARE(after(Qt::Key_Right), QPoint(3, 1)); // over the column that does not stop
        QCOMPARE(after(Qt::Key_Right), QPoint(1, 2)); // to the next row
        QCOMPARE(after(Qt::Key_Right), QPoint(1, 3)); // over the blocked cell
        QCOMPARE(after(Qt::Key_Right), QPoint(3, 3));
        QCOMPARE(after(Qt::Key_Right), QPoint(1, 1)); // from the last cell to the first
        QCOMPARE(after(Qt::Key_Left), QPoint(3, 3));  // and back
        QCOMPARE(after(Qt::Key_Up), QPoint(3, 1));    // over the blocked cell
        QCOMPARE(after(Qt::Key_Up), QPoint(3, 3));    // from the top to the bottom
        QCOMPARE(after(Qt::Key_Down), QPoint(3, 1));
        // A column where only one cell may be selected: Up and Down stay.
        g.lockCell(3, 3);
        QCOMPARE(after(Qt::Key_Down), QPoint(3, 1));
        // Blocking the cursor's cell takes the cursor away; a blocked cell takes no click.
        g.lockCell(3, 1);
        QCOMPARE(f.current(), QPoint(-1, -1));
        f.click(3, 1);
        QCOMPARE(f.current(), QPoint(-1, -1));
        g.unlockCell(3, 1);
        f.click(3, 1);
        QCOMPARE(f.current(), QPoint(3, 1));
    }

    void rightArrowFindsTheNextRow()
    {
        // Only the second of two columns stops the cursor: Right goes on to the next row's
        // second column instead of giving up when the search reaches its starting column again.
        Window f;
        TExtendedGrid &g = *f.grid;
        g.setColCount(2);
        g.setFixedCols(0);
        g.Colonnes().Add().setArretCellule(false);
        g.Colonnes().Add();
        QVERIFY(g.setCurrentCell(1, 1));
        QTest::keyClick(&g, Qt::Key_Right);
        QCOMPARE(f.current(), QPoint(1, 2));
        QTest::keyClick(&g, Qt::Key_Left);
        QCOMPARE(f.current(), QPoint(1, 1));
        QTest::keyClick(&g, Qt::Key_Left);
        QCOMPARE(f.current(), QPoint(1, 4));
    }

    // --- Key filter --------------------------------------------------------------------------

    void filterSyntax_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("accepted");
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
    void filterSyntax()
    {
        QFETCH(QString, filter);
        QFETCH(bool, valid);
        QFETCH(QString, accepted);
        QFETCH(QString, refuses);
        const std::optional<AllowedKeys> modifiers = AllowedKeys::read(filter);
        QCOMPARE(modifiers.has_value(), valid);
        for (const QChar c : accepted)
            QVERIFY2(modifiers->accepts(c), qPrintable(QString(c)));
        for (const QChar c : refuses)
            QVERIFY2(!modifiers->accepts(c), qPrintable(QString(c)));
    }

    void filterRefusesWithMessage()
    {
        TColonne column;
        QVERIFY(column.Saisie().setFiltreTouche(QStringLiteral("A..L;0..9")));
        for (const QString &wrong : {QStringLiteral("L..A"), QStringLiteral("A..L;0..9;")}) {
            bool accepts = true;
            QCOMPARE(messagesOf([&] { accepts = column.Saisie().setFiltreTouche(wrong); }), QStringList{Syntax});
            QVERIFY(!accepts);
            QCOMPARE(column.Saisie().FiltreTouche(), QStringLiteral("A..L;0..9"));
        }
    }

    void filteredTyping()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        QVERIFY(g.Colonnes()[1].Saisie().setFiltreTouche(QStringLiteral("A..L;0..9")));
        QVERIFY(g.setCurrentCell(1, 1));
        // The key that opens the editor is filtered like the others.
        typeText(&g, QStringLiteral("MB"));
        QVERIFY(f.editor());
        QTest::keyClicks(f.editor(), QStringLiteral("5Mz-C"));
        QCOMPARE(f.editor()->text(), QStringLiteral("B5C"));
        // What is pasted passes the same filter.
        f.editor()->selectAll();
        f.editor()->insert(QStringLiteral("AM"));
        QCOMPARE(f.editor()->text(), QStringLiteral("B5C"));
        QTest::keyClick(f.editor(), Qt::Key_Enter);
        QTRY_COMPARE(g.Cells(1, 1), QStringLiteral("B5C"));
    }

    void defaultFormats_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("length");
        QTest::newRow("nombre") << int(fcNombre) << "0..9" << 0;
        QTest::newRow("décimal") << int(fcNombreDecimal) << "0..9;.;," << 0;
        QTest::newRow("date") << int(fcDate) << "0..9;/" << 10;
        QTest::newRow("heure") << int(fcHeure) << "0..9;:" << 5;
    }
    void defaultFormats()
    {
        QFETCH(int, format);
        QFETCH(QString, filter);
        QFETCH(int, length);
        TColonne column;
        column.Saisie().setFormat(CellFormat(format));
        QCOMPARE(column.Saisie().FiltreTouche(), filter);
        QCOMPARE(column.Saisie().MaxLength(), length);
        // A filter of one's own stays through a change of format.
        TColonne own;
        QVERIFY(own.Saisie().setFiltreTouche(QStringLiteral("0..5")));
        own.Saisie().setFormat(CellFormat(format));
        QCOMPARE(own.Saisie().FiltreTouche(), QStringLiteral("0..5"));
    }

    void signAndFormatChange()
    {
        TSaisieCellule input;
        input.setAutoriseSigne(true); // no effect on text
        QCOMPARE(input.FiltreTouche(), QString());
        input.setFormat(fcNombre);
        QCOMPARE(input.FiltreTouche(), QStringLiteral("0..9;-"));
        input.setAutoriseSigne(false);
        QCOMPARE(input.FiltreTouche(), QStringLiteral("0..9"));
        input.setAutoriseSigne(true);
        input.setAutoriseSigne(true); // already allowed: not added twice
        QCOMPARE(input.FiltreTouche(), QStringLiteral("0..9;-"));
        // The filter a format set follows the next format, so a date's "/" does not stay in a
        // decimal column that could then not take its comma.
        input.setFormat(fcDate);
        QCOMPARE(input.FiltreTouche(), QStringLiteral("0..9;/"));
        input.setFormat(fcNombreDecimal);
        QCOMPARE(input.FiltreTouche(), QStringLiteral("0..9;.;,;-"));
        // Only the sign item goes, not a range that starts with the sign.
        QVERIFY(input.setFiltreTouche(QStringLiteral("-..9;-")));
        input.setAutoriseSigne(false);
        QCOMPARE(input.FiltreTouche(), QStringLiteral("-..9"));
    }

    // --- Decimal values --------------------------------------------------------------------

    void inconsistentLength()
    {
        TSaisieCellule input;
        input.setFormat(fcNombreDecimal);
        QVERIFY(input.setNbDecimal(2));
        bool accepts = true;
        QCOMPARE(messagesOf([&] { accepts = input.setMaxLength(2); }), QStringList{Incoherent});
        QVERIFY(!accepts);
        QCOMPARE(input.MaxLength(), 0);
        QVERIFY(input.setMaxLength(6));
        QCOMPARE(input.digitsBeforePoint(), 3);
        // Nor may the decimals grow to fill the length.
        QCOMPARE(messagesOf([&] { accepts = input.setNbDecimal(6); }), QStringList{Incoherent});
        QVERIFY(!accepts);
        QCOMPARE(input.NbDecimal(), 2);
        // A date is always 10 long, whatever is asked.
        input.setFormat(fcDate);
        QVERIFY(input.setMaxLength(4));
        QCOMPARE(input.MaxLength(), 10);
    }

    void decimalEdit()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        TSaisieCellule &input = g.Colonnes()[1].Saisie();
        input.setFormat(fcNombreDecimal);
        QVERIFY(input.setNbDecimal(2));
        QVERIFY(input.setMaxLength(6));
        QVERIFY(g.setCurrentCell(1, 1));
        typeText(&g, QStringLiteral("123"));
        CellEditor *editor = f.editor();
        QVERIFY(editor);
        QCOMPARE(messagesOf([&] { QTest::keyClick(editor, '4'); }),
                 QStringList{"Information|3 chiffres autorisés avant la virgule."});
        QCOMPARE(f.editor(), editor); // the editor stays open through the message
        // A full stop becomes the French comma; a second separator is refused without a word.
        QTest::keyClicks(editor, QStringLiteral(".45"));
        QCOMPARE(editor->text(), QStringLiteral("123,45"));
        QCOMPARE(messagesOf([&] { QTest::keyClicks(editor, QStringLiteral(",.")); }), QStringList());
        editor->setCursorPosition(6);
        QCOMPARE(messagesOf([&] { QTest::keyClick(editor, '6'); }),
                 QStringList{"Information|2 chiffres autorisés après la virgule."});
        // A comma put among the digits may not make too many decimals either.
        editor->setText(QStringLiteral("123"));
        editor->setCursorPosition(0);
        QCOMPARE(messagesOf([&] { QTest::keyClick(editor, ','); }),
                 QStringList{"Information|2 chiffres autorisés après la virgule."});
        editor->setText(QStringLiteral("123,45"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(g.Cells(1, 1), QStringLiteral("123,45"));
        // One digit allowed: the message says so in the singular.
        QVERIFY(input.setNbDecimal(1));
        QVERIFY(input.setMaxLength(3));
        QVERIFY(g.setCurrentCell(1, 2));
        QTest::keyClick(&g, '1');
        QCOMPARE(messagesOf([&] { QTest::keyClick(f.editor(), '2'); }),
                 QStringList{"Information|1 chiffre autorisé avant la virgule."});
    }

    void signOnlyAtTheStart()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        TSaisieCellule &input = g.Colonnes()[1].Saisie();
        input.setFormat(fcNombreDecimal);
        input.setAutoriseSigne(true);
        QVERIFY(input.setMaxLength(6));
        QVERIFY(g.setCurrentCell(1, 1));
        // The sign is not one of the six: -123,45 may be typed whole.
        typeText(&g, QStringLiteral("-12-3,45"));
        QCOMPARE(f.editor()->text(), QStringLiteral("-123,45"));
        f.editor()->setCursorPosition(0);
        QTest::keyClick(f.editor(), '9'); // nothing before the sign
        QCOMPARE(f.editor()->text(), QStringLiteral("-123,45"));
    }

    void valueCheckedBeforeEnter()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        // With a mask of its own, a date cell is a plain field checked before it is entered.
        g.Colonnes()[1].Saisie().setFormat(fcDate);
        g.Colonnes()[1].Saisie().setEditMask(QStringLiteral("99/99/9999"));
        TSaisieCellule &month = g.Colonnes()[2].Saisie();
        month.setFormat(fcNombre);
        month.setValeurMin(1);
        month.setValeurMax(12);
        g.setCells(1, 1, QStringLiteral("14/02/2004"));
        QVERIFY(g.setCurrentCell(1, 1));
        typeText(&g, QStringLiteral("31a/02/2004"));
        QCOMPARE(f.editor()->text(), QStringLiteral("31/02/2004"));
        QCOMPARE(messagesOf([&] { QTest::keyClick(f.editor(), Qt::Key_Return); }),
                 QStringList{"Erreur|La date saisie n'est pas valide : écrivez-la sous la forme JJ/MM/AAAA."});
        QVERIFY(f.editor());
        // Escape gives the cell its value back.
        QTest::keyClick(f.editor(), Qt::Key_Escape);
        QTRY_VERIFY(!f.editor());
        QCOMPARE(g.Cells(1, 1), QStringLiteral("14/02/2004"));

        QVERIFY(g.setCurrentCell(2, 1));
        typeText(&g, QStringLiteral("13"));
        QCOMPARE(messagesOf([&] { QTest::keyClick(f.editor(), Qt::Key_Down); }),
                 QStringList{"Erreur|La valeur doit être comprise entre 1 et 12."});
        QCOMPARE(f.current(), QPoint(2, 1));
        f.editor()->setText(QStringLiteral("12"));
        QTest::keyClick(f.editor(), Qt::Key_Down);
        QCOMPARE(g.Cells(2, 1), QStringLiteral("12"));
        QCOMPARE(f.current(), QPoint(2, 2));
    }

    void dateAndTimeCells()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        g.Colonnes()[1].Saisie().setFormat(fcDate);
        g.Colonnes()[2].Saisie().setFormat(fcHeure);
        g.setCells(1, 1, QStringLiteral("28/02/2004"));
        g.setCells(2, 1, QStringLiteral("23:59"));

        // The date edit opens on the cell's day; its arrows step it, across the leap day.
        QDate shown;
        QVERIFY(editCell<TSaisieDate>(g, 1, [&](TSaisieDate *date) {
            shown = DateValue::toDate(date->LireDate());
            QTest::keyClick(date, Qt::Key_Up);
            QTest::keyClick(date, Qt::Key_Up);
        }));
        QCOMPARE(shown, QDate(2004, 2, 28));
        QCOMPARE(g.Cells(1, 1), QStringLiteral("01/03/2004"));
        // The calendar opened from the cell is a window of its own: the edit stays open under it
        // and takes the day chosen there.
        bool vu = false, staysOpen = false;
        QVERIFY(editCell<TSaisieDate>(g, 1, [&](TSaisieDate *date) {
            QTimer::singleShot(0, [&vu] {
                auto *calendar = qobject_cast<TforCalendrier *>(QApplication::activeModalWidget());
                if (!calendar)
                    return;
                vu = true;
                calendar->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"))->setSelectedDate(QDate(2004, 3, 10));
                QTest::mouseClick(calendar->findChild<QPushButton *>(QStringLiteral("butValider")), Qt::LeftButton);
            });
            QTest::keyClick(date, Qt::Key_F4);
            staysOpen = g.findChild<TSaisieDate *>() == date;
        }));
        QVERIFY(vu);
        QVERIFY(staysOpen);
        QCOMPARE(g.Cells(1, 1), QStringLiteral("10/03/2004"));
        // A day that does not exist leaves the cell as it was; an emptied field empties it.
        QVERIFY(editCell<TSaisieDate>(g, 1, [](TSaisieDate *date) { date->setText(QStringLiteral("31/02/2004")); }));
        QCOMPARE(g.Cells(1, 1), QStringLiteral("10/03/2004"));
        QVERIFY(editCell<TSaisieDate>(g, 1, [](TSaisieDate *date) { date->setText(QString()); }));
        QCOMPARE(g.Cells(1, 1), QString());

        // The time edit opens on the cell's time and writes hours and minutes back.
        int minutes = -1;
        QVERIFY(editCell<TSaisieHeure>(g, 2, [&](TSaisieHeure *hour) {
            minutes = qRound(hour->LireHeure() * 1440);
            hour->EcrireHeure(9.5 / 24);
        }));
        QCOMPARE(minutes, 23 * 60 + 59);
        QCOMPARE(g.Cells(2, 1), QStringLiteral("09:30"));
        // Escape keeps the cell's value.
        QVERIFY(editCell<TSaisieHeure>(g, 2, [](TSaisieHeure *hour) { hour->EcrireHeure(0.25); }, Qt::Key_Escape));
        QCOMPARE(g.Cells(2, 1), QStringLiteral("09:30"));

        // A read-only date cell opens no edit.
        g.Colonnes()[1].Saisie().setReadOnly(true);
        QVERIFY(!editCell<TSaisieDate>(g, 1, [](TSaisieDate *) {}));
    }

    void leavingAnEditedCell()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        g.setCells(1, 1, QStringLiteral("avant"));
        QSignalSpy exits(&g, &TExtendedGrid::exitCellule);
        QVERIFY(g.setCurrentCell(1, 1));
        QTest::keyClick(&g, Qt::Key_Right); // moving through cells without editing says nothing
        QTest::keyClick(&g, Qt::Key_Left);
        QCOMPARE(exits.count(), 0);
        typeText(&g, QStringLiteral("après"));
        QCOMPARE(g.AncienneValeurCelluleEnCours(), QStringLiteral("avant"));
        QTest::keyClick(f.editor(), Qt::Key_Return);
        QTRY_COMPARE(g.Cells(1, 1), QStringLiteral("après"));
        QCOMPARE(exits.count(), 0);
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(exits.count(), 1);
        QCOMPARE(exits.at(0), QVariantList({1, 1}));

        // Tab enters the value and goes on to the next control: the cursor left the cell too.
        typeText(&g, QStringLiteral("x"));
        QTest::keyClick(f.editor(), Qt::Key_Tab);
        QCOMPARE(g.Cells(1, 2), QStringLiteral("x"));
        QTRY_VERIFY(f.other->hasFocus());
        QCOMPARE(exits.count(), 2);
        QCOMPARE(exits.at(1), QVariantList({1, 2}));
        // So does a click on another control while the editor is open.
        g.setFocus();
        typeText(&g, QStringLiteral("y"));
        QVERIFY(f.editor());
        f.other->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(exits.count(), 3);
        QCOMPARE(g.Cells(1, 2), QStringLiteral("y"));
    }

    void tabInTheGrid()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setOptions(TExtendedGrid::goEditing | TExtendedGrid::goTabs);
        g.Colonnes()[2].setArretCellule(false);
        QVERIFY(g.setCurrentCell(3, 1));
        QTest::keyClick(&g, Qt::Key_Tab);
        QCOMPARE(f.current(), QPoint(1, 2));
        QTest::keyClick(&g, Qt::Key_Backtab);
        QCOMPARE(f.current(), QPoint(3, 1));
        // From an editor, Tab enters the value and edits the next cell the cursor may stop on.
        typeText(&g, QStringLiteral("v"));
        QTest::keyClick(f.editor(), Qt::Key_Tab);
        QTRY_COMPARE(f.current(), QPoint(1, 2));
        QCOMPARE(g.Cells(3, 1), QStringLiteral("v"));
        QVERIFY(g.hasFocus() || f.editor());
        QVERIFY(!f.other->hasFocus());
    }

    // --- Display patterns ------------------------------------------------------------------

    void displayMasks_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("shown");
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
    void displayMasks()
    {
        QFETCH(int, format);
        QFETCH(QString, mask);
        QFETCH(QString, content);
        QFETCH(QString, shown);
        TColonne column;
        column.Saisie().setFormat(CellFormat(format));
        column.Affichage().setMaskAffichage(mask);
        QCOMPARE(column.shownText(content), shown);
    }

    void longDateInTheGrid()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setColWidths(1, 40); // too narrow: the long date is cut and shown whole in a tooltip
        TColonne &date = g.Colonnes()[1];
        date.Saisie().setFormat(fcDate);
        date.Affichage().setMaskAffichage(QStringLiteral("dddd d MMMM yyyy"));
        g.setCells(1, 1, QStringLiteral("14/02/2004"));
        const QModelIndex index = g.model()->index(1, 1);
        QCOMPARE(g.delegate()->cutText(g.visualRect(index), 1, 1), QStringLiteral("samedi 14 février 2004"));
        date.setLargeur(250);
        QCOMPARE(g.delegate()->cutText(g.visualRect(index), 1, 1), QString());
        QCOMPARE(g.Cells(1, 1), QStringLiteral("14/02/2004"));
    }

    // --- Image, button and drop-down cells -------------------------------------------------

    void imageCells()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        TImageList images;
        images.Add(dot(Qt::red));
        images.Add(dot(Qt::green));
        TColonne &state = g.Colonnes()[1];
        state.setStyle(scImage);
        state.setImages(&images);
        state.setIndexImage(0);
        state.Affichage().setAlignment(taCenter);
        QList<int> received;
        state.OnGetIndexImage = [&received](TExtendedGrid *, int, int line, int &index) {
            received << index;
            if (line == 2)
                index = 1;
            if (line == 3)
                index = 7; // no such picture: nothing drawn
        };
        QCOMPARE(f.pixel(f.centre(1, 1)), QColor(Qt::red));
        QCOMPARE(f.pixel(f.centre(1, 2)), QColor(Qt::green));
        QCOMPARE(f.pixel(f.centre(1, 3)), QColor(Qt::white));
        QVERIFY(!received.isEmpty());
        QVERIFY(received.count(0) == received.size());
        // An image cell is never selected.
        f.click(1, 2);
        QCOMPARE(f.current(), QPoint(-1, -1));
        QVERIFY(g.setCurrentCell(2, 1));
        QTest::keyClick(&g, Qt::Key_Left);
        QCOMPARE(f.current(), QPoint(3, 3));
    }

    void buttonCells()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        TColonne &dossier = g.Colonnes()[2];
        dossier.setStyle(scBouton);
        dossier.setLargeurBouton(18);
        QList<QPoint> clics;
        dossier.OnBoutonClick = [&clics](TExtendedGrid *, int column, int line) { clics << QPoint(column, line); };
        QSignalSpy signal(&g, &TExtendedGrid::boutonClick);
        const QRect cell = g.visualRect(g.model()->index(2, 2));
        const QRect button = TExtendedGrid::buttonRect(cell, dossier);
        QCOMPARE(button.width(), 18);
        QCOMPARE(button.right(), cell.right());
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, button.center());
        QCOMPARE(clics, QList<QPoint>{QPoint(2, 2)});
        QCOMPARE(signal.count(), 1);
        QCOMPARE(f.current(), QPoint(2, 2));
        // Letting go outside the button is no click; a click beside it only selects.
        QTest::mousePress(g.viewport(), Qt::LeftButton, {}, button.center());
        QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, cell.center() - QPoint(cell.width() / 2 - 2, 0));
        f.click(2, 3);
        QCOMPARE(clics.size(), 1);
        QCOMPARE(f.current(), QPoint(2, 3));
        // F4 presses the button of the cursor's cell; a blocked cell's button does nothing.
        QTest::keyClick(&g, Qt::Key_F4);
        QCOMPARE(clics.last(), QPoint(2, 3));
        g.lockCell(2, 1);
        g.clickButton(2, 1);
        QCOMPARE(clics.size(), 2);
        QCOMPARE(signal.count(), 2);
    }

    void buttonWithImage()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        TImageList images;
        images.Add(dot(Qt::blue));
        g.setImagesBouton(&images);
        TColonne &column = g.Colonnes()[1];
        column.setStyle(scBouton);
        column.setLargeurBouton(20);
        column.setHauteurBouton(20);
        column.setIndexImageBouton(0);
        const QRect button = TExtendedGrid::buttonRect(g.visualRect(g.model()->index(1, 1)), column);
        QCOMPARE(f.pixel(button.center()), QColor(Qt::blue));
    }

    void dropDownList()
    {
        Window f;
        TExtendedGrid &g = *f.grid;
        grid4x4(g);
        g.setOptions(TExtendedGrid::goEditing);
        TColonne &nom = g.Colonnes()[1];
        nom.setStyle(scCombo);
        nom.Saisie().setValeurCombo({"Alice", "Bruno", "Chloé"});
        nom.Saisie().setNbLigneCombo(2);
        g.setCells(1, 1, QStringLiteral("Bruno"));
        const QRect arrow = TExtendedGrid::buttonRect(g.visualRect(g.model()->index(1, 1)), nom);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, arrow.center());
        auto *list = g.findChild<QComboBox *>();
        QVERIFY(list);
        QCOMPARE(list->currentText(), QStringLiteral("Bruno"));
        QCOMPARE(list->maxVisibleItems(), 2);
        QTRY_VERIFY(list->view()->isVisible());
        list->hidePopup();
        list->setCurrentIndex(2);
        emit list->activated(2);
        QTRY_VERIFY(!g.findChild<QComboBox *>());
        QCOMPARE(g.Cells(1, 1), QStringLiteral("Chloé"));
        // A read-only cell may be selected but not edited.
        nom.Saisie().setReadOnly(true);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, arrow.center());
        QVERIFY(!g.findChild<QComboBox *>());
        QCOMPARE(f.current(), QPoint(1, 1));
    }
};

QTEST_MAIN(TestExtendedGrid)
#include "tst_extendedgrid.moc"
