// The two labels that show file names in a small room: the one that elides a name in its middle
// (the batch window) and the one that wraps and shrinks a name until it is read whole (the name
// a photo will get).
#include "controls/elidedlabel.h"
#include "controls/wrappednamelabel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QtTest>

namespace {

const QString LongName = QStringLiteral("2024-07-12 14h32 - Anniversaire de Jérémie au bord du lac Tog 001.JPG");
const QChar Ellipsis(0x2026);

int widthOf(const QString &text, const QFont &font, const QWidget *widget)
{
    return QFontMetrics(font, widget).horizontalAdvance(text);
}

// Every shown line within the room, the whole block within its height.
void checkFits(const WrappedNameLabel &label)
{
    const QRect room = label.contentsRect();
    const QFontMetrics metrics(label.shownFont(), &label);
    QVERIFY(!label.shownLines().isEmpty());
    QVERIFY(metrics.lineSpacing() * label.shownLines().size() <= room.height());
    for (const QString &line : label.shownLines())
        QVERIFY2(metrics.horizontalAdvance(line.trimmed()) <= room.width(), qPrintable(line));
    QVERIFY(label.shownFont().pointSizeF() >= qMin(WrappedNameLabel::MinimumPointSize, label.font().pointSizeF()));
}

} // namespace

class TestNameLabels : public QObject {
    Q_OBJECT

private slots:
    void elidedNameKeepsItsStartAndEnd()
    {
        ElidedLabel label;
        label.resize(160, 20);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        label.setFullText(LongName, QStringLiteral("/photos/2024/") + LongName);
        QCOMPARE(label.fullText(), LongName);
        QCOMPARE(label.toolTip(), QStringLiteral("/photos/2024/") + LongName);
        const QString shown = label.text();
        QVERIFY(shown.contains(Ellipsis));
        QVERIFY(shown.startsWith(LongName.left(4)));
        QVERIFY(shown.endsWith(QStringLiteral(".JPG")));
        QVERIFY(widthOf(shown, label.font(), &label) <= label.contentsRect().width());

        // Wider: more of the name; wide enough: all of it; narrower again: elided again.
        label.resize(300, 20);
        QVERIFY(label.text().size() > shown.size());
        QVERIFY(label.text().endsWith(QStringLiteral(".JPG")));
        label.resize(widthOf(LongName, label.font(), &label) + 10, 20);
        QCOMPARE(label.text(), LongName);
        label.resize(120, 20);
        QVERIFY(label.text().contains(Ellipsis));
        QVERIFY(widthOf(label.text(), label.font(), &label) <= label.contentsRect().width());

        // A larger font elides further at the same width.
        const QString before = label.text();
        QFont larger = label.font();
        larger.setPointSizeF(larger.pointSizeF() * 1.5);
        label.setFont(larger);
        QVERIFY(label.text().size() < before.size());

        // A short name is shown as it is; without a tooltip of its own, it is its tooltip.
        label.resize(300, 20);
        label.setFullText(QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(label.text(), QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(label.toolTip(), QStringLiteral("IMG_0001.JPG"));
    }

    void elidedLabelNeverWidensItsWindow()
    {
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        auto *label = new ElidedLabel(&window);
        label->setFullText(LongName + LongName + LongName);
        layout->addWidget(label);
        window.resize(200, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.minimumSizeHint().width() < 200);
        QCOMPARE(window.width(), 200);
        QVERIFY(label->text().contains(Ellipsis));
    }

    void wrappedNameIsShownWhole_data()
    {
        // Widths as shares of the name's width on one line at 10 points.
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("share");
        QTest::addColumn<int>("smaller"); // 1 smaller type needed, 0 not, -1 either
        QTest::newRow("short") << QStringLiteral("IMG_0001.JPG") << 1.5 << 0;
        QTest::newRow("two lines") << LongName << 0.62 << 0;
        QTest::newRow("smaller type") << LongName << 0.46 << 1;
        QTest::newRow("no blank to break at")
            << QStringLiteral("20240712_14h32_Anniversaire_de_Jeremie_au_bord_du_lac_001.JPG") << 0.55 << -1;
    }
    void wrappedNameIsShownWhole()
    {
        QFETCH(QString, name);
        QFETCH(double, share);
        QFETCH(int, smaller);
        WrappedNameLabel label;
        QFont font = label.font();
        font.setPointSizeF(10);
        label.setFont(font);
        label.resize(int(widthOf(name, font, &label) * share), label.minimumSizeHint().height());
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        label.setText(name);
        QCOMPARE(label.text(), name);
        QVERIFY(label.showsWholeText());
        QCOMPARE(label.shownLines().join(QString()), name);
        if (smaller >= 0)
            QCOMPARE(label.shownFont().pointSizeF() < 10, smaller == 1);
        if (smaller == 0)
            QVERIFY(label.shownLines().size() <= 2);
        checkFits(label);
    }

    void wrappedNameKeepsItsRoomWhateverTheName()
    {
        WrappedNameLabel label;
        const int room = label.minimumSizeHint().height();
        QVERIFY(room >= 2 * label.fontMetrics().lineSpacing());
        QCOMPARE(label.sizeHint().height(), room);
        QCOMPARE(label.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        // Its width never comes from the name: the window around it does not grow.
        label.setText(LongName + LongName);
        QVERIFY(label.minimumSizeHint().width() < label.fontMetrics().horizontalAdvance(LongName) / 2);
        label.setLines(3);
        QVERIFY(label.minimumSizeHint().height() >= 3 * label.fontMetrics().lineSpacing());
    }

    void aNameTooLongEvenInSmallTypeKeepsItsEnd()
    {
        WrappedNameLabel label;
        label.resize(120, label.minimumSizeHint().height());
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        const QString name = LongName.left(60) + LongName + QStringLiteral(" 2.JPG");
        label.setText(name);
        QVERIFY(!label.showsWholeText());
        QCOMPARE(label.shownFont().pointSizeF(), WrappedNameLabel::MinimumPointSize);
        QVERIFY(label.shownLines().constLast().contains(Ellipsis));
        QVERIFY(label.shownLines().constLast().endsWith(QStringLiteral(" 2.JPG")));
        QVERIFY(name.startsWith(label.shownLines().constFirst()));
        checkFits(label);

        // Room again: whole again, in the widget's own type.
        label.resize(2000, label.height());
        QVERIFY(label.showsWholeText());
        QCOMPARE(label.shownFont().pointSizeF(), label.font().pointSizeF());
        QCOMPARE(label.shownLines().size(), 1);
    }
};

QTEST_MAIN(TestNameLabels)
#include "tst_namelabels.moc"
