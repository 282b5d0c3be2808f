#include "controls/grid/griddelegate.h"

#include "controls/grid/celleditor.h"
#include "controls/grid/extendedgrid.h"
#include "controls/grid/displaymask.h"
#include "controls/saisiedate.h"
#include "controls/saisieheure.h"
#include "core/exif/datetimevalue.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>
#include <QTextLayout>
#include <QTimer>

#include <cmath>

struct CellLook {
    std::optional<TColonne> definition;
    QString content;
    QFont font;
    QColor background, textColour;
    TAlignment alignment = taLeftJustify;
    bool fixed = false;
    bool selected = false;
};

namespace {

constexpr int TextMargin = 2;

Qt::Alignment horizontalAlignment(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}

// Date and time cells are edited with the program's date and time edits (arrows, calendar),
// unless an input mask of the column's own asks for a plain field.
CellFormat editorFormat(const std::optional<TColonne> &definition)
{
    if (!definition || definition->Style() == scImage || definition->Style() == scCombo
        || !definition->Saisie().EditMask().isEmpty())
        return fcChaine;
    return definition->Saisie().Format();
}

// Cell texts hold dates and times by position (day, month, year; hours, minutes) with the
// locale's separators, whatever order the edit shows them in.
QString dateText(const QDate &day)
{
    const QChar s = TSaisieCellule::dateSeparator();
    return day.toString(QStringLiteral("dd") + s + QStringLiteral("MM") + s + QStringLiteral("yyyy"));
}

QString timeText(double fraction)
{
    const int minutes = qBound(0, int(std::llround(fraction * 1440.0)), 1439);
    return QStringLiteral("%1%2%3")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(TSaisieCellule::timeSeparator())
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

bool hasButton(const CellLook &cell)
{
    return !cell.fixed && cell.definition
        && (cell.definition->Style() == scBouton || cell.definition->Style() == scCombo);
}

} // namespace

GridDelegate::GridDelegate(TExtendedGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grille(grid)
{
}

// --- Drawing -------------------------------------------------------------------------------

CellLook GridDelegate::presentation(int column, int line) const
{
    CellLook p;
    p.fixed = column < m_grille->FixedCols() || line < m_grille->FixedRows();
    p.selected = !p.fixed && column == m_grille->Col() && line == m_grille->Row()
        && (m_grille->hasFocus() || (m_grille->Options() & TExtendedGrid::goDrawFocusSelected));
    p.definition = m_grille->cellDefinition(column, line);
    p.content = m_grille->Cells(column, line);
    const QPalette &palette = m_grille->palette();
    if (p.definition) {
        const TAffichageCellule &display = p.definition->Affichage();
        p.font = display.Font();
        p.textColour = display.FontColor();
        p.background = display.Color();
        p.alignment = display.Alignment();
        p.content = p.definition->shownText(p.content);
        const TTitreColonne &title = p.definition->Titre();
        if (line < m_grille->FixedRows() && !title.Caption().isEmpty()) {
            p.content = title.Caption();
            p.alignment = title.Alignment();
            p.font = title.Font();
            p.textColour = title.FontColor();
        }
    } else {
        p.font = m_grille->font();
        p.textColour = palette.color(p.fixed ? QPalette::ButtonText : QPalette::Text);
        p.background = m_grille->Color();
    }
    if (p.selected) {
        p.background = palette.color(QPalette::Highlight);
        p.textColour = palette.color(QPalette::HighlightedText);
    }
    if (p.fixed)
        p.background = m_grille->FixedColor();
    return p;
}

QRect GridDelegate::textArea(const QRect &rect, const CellLook &cell) const
{
    QRect zone = rect.adjusted(TextMargin, 0, -TextMargin, 0);
    if (hasButton(cell))
        zone.setRight(TExtendedGrid::buttonRect(rect, *cell.definition).left() - TextMargin);
    return zone;
}

namespace {

// The lines of a text wrapped at words (inside a word when it is longer than the width) that
// fit in the zone; the last one shown ends with an ellipsis when the text goes on.
struct TextLines {
    QStringList lines;
    bool cut = false;
};

TextLines splitIntoLines(const QString &content, const QFont &font, const QRect &zone)
{
    TextLines result;
    if (content.isEmpty() || zone.width() <= 0)
        return result;
    const QFontMetrics measure(font);
    const int place = qMax(1, zone.height() / qMax(1, measure.lineSpacing()));
    QTextLayout layout(content, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(zone.width());
        if (result.lines.size() == place) {
            result.cut = true;
            break;
        }
        result.lines << content.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    if (result.cut) {
        // The last line shown carries the rest of the text, cut with an ellipsis.
        qsizetype start = 0;
        for (qsizetype i = 0; i + 1 < result.lines.size(); ++i)
            start += result.lines.at(i).size();
        result.lines.last() = measure.elidedText(content.mid(start).simplified(), Qt::ElideRight, zone.width());
    }
    for (QString &line : result.lines)
        while (line.endsWith(u' ') || line.endsWith(u'\n'))
            line.chop(1);
    return result;
}

} // namespace

void GridDelegate::drawText(QPainter &painter, const QRect &zone, const CellLook &cell) const
{
    const TextLines content = splitIntoLines(cell.content, cell.font, zone);
    const int height = QFontMetrics(cell.font).lineSpacing();
    // The lines stand in the middle of the cell, or from its top when only one fits partly.
    int y = zone.top() + qMax(0, (zone.height() - height * int(content.lines.size())) / 2);
    painter.setFont(cell.font);
    painter.setPen(cell.textColour);
    for (const QString &line : content.lines) {
        painter.drawText(QRect(zone.left(), y, zone.width(), height),
                         int(horizontalAlignment(cell.alignment)) | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += height;
    }
}

void GridDelegate::drawCell(QPainter &painter, const QRect &rect, int column, int line) const
{
    const CellLook cell = presentation(column, line);
    painter.save();
    painter.setClipRect(rect);
    if (m_grille->DefaultDrawing()) {
        painter.fillRect(rect, cell.background);
        const bool image = cell.definition && cell.definition->Style() == scImage
            && line >= m_grille->FixedRows() && cell.definition->Images();
        if (image) {
            drawImage(painter, rect, column, line, cell);
        } else {
            if (hasButton(cell))
                drawButton(painter, rect, column, line, cell);
            drawText(painter, textArea(rect, cell), cell);
        }
        if (!cell.fixed && m_grille->hasFocus() && column == m_grille->Col() && line == m_grille->Row()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(m_grille);
            focus.rect = rect;
            focus.backgroundColor = cell.background;
            m_grille->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, m_grille);
        }
    }
    painter.restore();
    if (m_grille->OnDrawCell) {
        painter.save();
        m_grille->OnDrawCell(m_grille, column, line, painter, rect, cell.selected);
        painter.restore();
    }
}

void GridDelegate::drawImage(QPainter &painter, const QRect &rect, int column, int line,
                                 const CellLook &cell) const
{
    int index = cell.definition->IndexImage();
    if (cell.definition->OnGetIndexImage)
        cell.definition->OnGetIndexImage(m_grille, column, line, index);
    const QPixmap image = cell.definition->Images()->image(index);
    if (image.isNull())
        return;
    const QSize measuredSize = image.deviceIndependentSize().toSize();
    int x = rect.left() + TextMargin;
    if (cell.alignment == taRightJustify)
        x = rect.right() - TextMargin - measuredSize.width() + 1;
    else if (cell.alignment == taCenter)
        x = rect.left() + (rect.width() - measuredSize.width()) / 2;
    painter.drawPixmap(x, rect.top() + (rect.height() - measuredSize.height()) / 2, image);
}

void GridDelegate::drawButton(QPainter &painter, const QRect &rect, int column, int line,
                                  const CellLook &cell) const
{
    const TColonne &definition = *cell.definition;
    QStyleOptionButton option;
    option.initFrom(m_grille);
    option.rect = TExtendedGrid::buttonRect(rect, definition);
    const bool pressed = m_grille->buttonPressed() == QPoint(column, line);
    option.state |= pressed ? QStyle::State_Sunken : QStyle::State_Raised;
    option.state &= ~QStyle::State_HasFocus;
    QStyle *style = m_grille->style();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, m_grille);
    const QRect inside = option.rect.adjusted(2, 2, -2, -2).translated(pressed ? 1 : 0, pressed ? 1 : 0);
    if (definition.Style() == scCombo) {
        QStyleOption arrow(option);
        arrow.rect = inside;
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, m_grille);
        return;
    }
    const QPixmap image = m_grille->ImagesBouton() ? m_grille->ImagesBouton()->image(definition.IndexImageBouton()) : QPixmap();
    if (!image.isNull()) {
        const QSize measuredSize = image.deviceIndependentSize().toSize().boundedTo(inside.size());
        const QRect target(inside.center() - QPoint(measuredSize.width() / 2, measuredSize.height() / 2), measuredSize);
        painter.drawPixmap(target, image);
        return;
    }
    // Without a picture, the button says that it opens something more.
    painter.setPen(m_grille->palette().color(QPalette::ButtonText));
    painter.setFont(m_grille->font());
    painter.drawText(option.rect.translated(pressed ? 1 : 0, pressed ? 1 : 0), Qt::AlignCenter, QStringLiteral("…"));
}

QColor GridDelegate::lineColour() const
{
    QStyleOptionViewItem option;
    option.initFrom(m_grille);
    return QColor::fromRgba(QRgb(m_grille->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, m_grille)));
}

void GridDelegate::drawFixed(QPainter &painter, const QRect &rect, int column, int line) const
{
    if (rect.isEmpty())
        return;
    drawCell(painter, rect.adjusted(0, 0, -1, -1), column, line);
    painter.save();
    painter.setPen(lineColour());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.restore();
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    drawCell(*painter, option.rect, index.column(), index.row());
}

QString GridDelegate::cutText(const QRect &rect, int column, int line) const
{
    const CellLook cell = presentation(column, line);
    if (cell.content.isEmpty() || (cell.definition && cell.definition->Style() == scImage))
        return QString();
    return splitIntoLines(cell.content, cell.font, textArea(rect, cell)).cut ? cell.content : QString();
}

// --- Editing -------------------------------------------------------------------------------

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const int column = index.column(), line = index.row();
    const std::optional<TColonne> definition = m_grille->cellDefinition(column, line);
    m_grille->editStarted(column, line);
    if (definition && definition->Style() == scCombo) {
        auto *list = new QComboBox(parent);
        list->addItems(definition->Saisie().ValeurCombo());
        list->setMaxVisibleItems(definition->Saisie().NbLigneCombo());
        list->setFont(definition->Affichage().Font());
        auto *delegate = const_cast<GridDelegate *>(this);
        // Choosing in the list is entering the value.
        connect(list, &QComboBox::activated, delegate, [delegate, list] {
            emit delegate->commitData(list);
            emit delegate->closeEditor(list, QAbstractItemDelegate::NoHint);
        });
        QTimer::singleShot(0, list, &QComboBox::showPopup);
        return list;
    }
    if (editorFormat(definition) == fcDate) {
        auto *date = new TSaisieDate(parent);
        date->setFont(definition->Affichage().Font());
        return date;
    }
    if (editorFormat(definition) == fcHeure) {
        auto *hour = new TSaisieHeure(parent);
        hour->setFont(definition->Affichage().Font());
        return hour;
    }
    std::optional<TSaisieCellule> input;
    if (definition)
        input = definition->Saisie();
    auto *editor = new CellEditor(parent, input, definition ? definition->Affichage().Alignment() : taLeftJustify);
    editor->setFont(definition ? definition->Affichage().Font() : m_grille->font());
    return editor;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString content = m_grille->Cells(index.column(), index.row());
    if (auto *list = qobject_cast<QComboBox *>(editor)) {
        list->setCurrentIndex(list->findText(content));
    } else if (auto *date = qobject_cast<TSaisieDate *>(editor)) {
        const QDate day = DisplayMask::readDate(content);
        date->EcrireDate(day.isValid() ? DateValue::fromDate(day) : DateValue::None);
        date->selectAll();
    } else if (auto *hour = qobject_cast<TSaisieHeure *>(editor)) {
        // An empty cell starts from the time of now, as the edit does on its own.
        const QTime moment = DisplayMask::readTime(content);
        if (moment.isValid())
            hour->EcrireHeure((moment.hour() * 60 + moment.minute()) / 1440.0);
        hour->selectAll();
    } else if (auto *line = qobject_cast<QLineEdit *>(editor); line && line->text() != content)
        line->setText(content);
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *list = qobject_cast<QComboBox *>(editor)) {
        if (list->currentIndex() >= 0)
            model->setData(index, list->currentText());
    } else if (auto *date = qobject_cast<TSaisieDate *>(editor)) {
        // An emptied field empties the cell; a date that does not exist leaves it as it was.
        const QDate day = date->format().read(date->displayText());
        if (day.isValid())
            model->setData(index, dateText(day));
        else if (date->displayText().remove(TSaisieCellule::dateSeparator()).trimmed().isEmpty())
            model->setData(index, QString());
    } else if (auto *hour = qobject_cast<TSaisieHeure *>(editor)) {
        model->setData(index, timeText(hour->LireHeure()));
    } else if (auto *cell = qobject_cast<CellEditor *>(editor)) {
        if (cell->valueError().isEmpty())
            model->setData(index, cell->value());
    }
}

void GridDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QRect rect = option.rect;
    const std::optional<TColonne> definition = m_grille->cellDefinition(index.column(), index.row());
    // The button stays visible and clickable beside the editor.
    if (definition && definition->Style() == scBouton)
        rect.setRight(TExtendedGrid::buttonRect(option.rect, *definition).left() - 1);
    // A date or time edit in a narrow column spreads over the next cells rather than hiding
    // its text behind its arrows.
    if (auto *date = qobject_cast<TSaisieDate *>(editor)) {
        const int content = date->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000"));
        rect.setWidth(qMax(rect.width(), content + date->LargeurBouton() + 4 * TextMargin));
    } else if (qobject_cast<TSaisieHeure *>(editor)) {
        rect.setWidth(qMax(rect.width(), editor->sizeHint().width()));
    }
    editor->setGeometry(rect);
}

bool GridDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<CellEditor *>(object);
    // A message box of the editor takes the focus for a while: the editing goes on.
    if (editor && editor->messageOpen())
        return false;
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            // A value that cannot go into the cell is explained and stays in the editor.
            const QString error = editor->valueError();
            if (!error.isEmpty()) {
                editor->report(error, true);
                return true;
            }
            const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
            if (tab && !(m_grille->Options() & TExtendedGrid::goTabs)) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                m_grille->focusNextPrevChild(key == Qt::Key_Tab);
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
