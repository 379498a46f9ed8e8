// The member table and picture windows. Sorting goes by each cell's sort key (Qt::UserRole), so
// "45.6 T" and "120 C" sort as forces; the size column's editor is a combo box whose choice is
// sent to the program rather than written into the cell.
#include "platform/qt/result_windows.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kMemberRole = Qt::UserRole + 1;  // the member a row shows, on its first cell
constexpr int kGap = 8;                        // pixels between the main window and ours

// Offers the sizes in a combo box and hands the one chosen to a callback instead of the model.
class SizeDelegate final : public QStyledItemDelegate {
  public:
    SizeDelegate(QStringList choices, std::function<void(const QModelIndex&, int)> chosen, QObject* parent)
        : QStyledItemDelegate(parent), choices_(std::move(choices)), chosen_(std::move(chosen)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->addItems(choices_);
        box->setAccessibleName(QStringLiteral("Size"));
        // A choice counts at once, as a menu choice does.
        QObject::connect(box, &QComboBox::activated, box, [this, box] {
            auto* self = const_cast<SizeDelegate*>(this);
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(std::max<int>(0, int(choices_.indexOf(index.data().toString()))));
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        chosen_(index, static_cast<QComboBox*>(editor)->currentIndex() + 1);
    }

  private:
    QStringList choices_;
    std::function<void(const QModelIndex&, int)> chosen_;
};

// Puts window to the right of anchor's frame, or below it when the screen has no room there.
void placeBeside(QWidget& window, const QWidget* anchor) {
    if (!anchor) return;
    const QRect frame = anchor->frameGeometry();
    window.move(frame.right() + kGap, frame.top());
}

}  // namespace

QImage imageOfSurface(const Surface& surface) {
    const QImage shared(reinterpret_cast<const uchar*>(surface.pixels().data()), surface.width(),
                        surface.height(), surface.width() * 4, QImage::Format_RGB32);
    return shared.copy();
}

MemberTableWindow::MemberTableWindow(std::function<void(const WindowMessage&)> post)
    : QWidget(nullptr, Qt::Window),
      post_(std::move(post)),
      model_(new QStandardItemModel(this)),
      sorted_(new QSortFilterProxyModel(this)),
      view_(new QTableView(this)) {
    sorted_->setSourceModel(model_);
    sorted_->setSortRole(Qt::UserRole);
    sorted_->setDynamicSortFilter(true);
    view_->setModel(sorted_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(0, Qt::AscendingOrder);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->setAccessibleName(QStringLiteral("Members"));
    view_->installEventFilter(this);

    auto* copy = new QPushButton(QStringLiteral("&Copy"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addLayout(buttons);

    const auto copyRows = [this] { QApplication::clipboard()->setText(shownText()); };
    connect(copy, &QPushButton::clicked, this, copyRows);
    connect(new QShortcut(QKeySequence::Copy, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut),
            &QShortcut::activated, this, copyRows);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!quiet_ && current.isValid()) send(MessageKind::TableRowSelected, memberAt(current));
            });
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() != sizeColumn_) send(MessageKind::TableRowOpened, memberAt(index));
    });
    resize(860, 440);
}

void MemberTableWindow::showContents(const MemberTableContents& contents, const QWidget* anchor) {
    quiet_ = true;
    setWindowTitle(QString::fromStdString(contents.title));
    if (contents.sizeColumn != sizeColumn_ || model_->columnCount() == 0) {
        QStringList choices;
        for (const std::string& choice : contents.sizeChoices) choices << QString::fromStdString(choice);
        sizeColumn_ = contents.sizeColumn;
        view_->setItemDelegateForColumn(sizeColumn_, new SizeDelegate(
                                                         choices,
                                                         [this](const QModelIndex& index, int size) {
                                                             send(MessageKind::TableSizeChosen,
                                                                  memberAt(index), size);
                                                         },
                                                         this));
    }
    QStringList headings;
    for (const std::string& heading : contents.headings) headings << QString::fromStdString(heading);
    model_->setColumnCount(int(headings.size()));
    model_->setHorizontalHeaderLabels(headings);
    model_->setRowCount(int(contents.rows.size()));
    for (int r = 0; r < int(contents.rows.size()); ++r) {
        const std::vector<TableCell>& cells = contents.rows[size_t(r)];
        for (int c = 0; c < int(cells.size()); ++c) {
            QStandardItem* item = model_->item(r, c);
            if (!item) {
                item = new QStandardItem;
                model_->setItem(r, c, item);
            }
            item->setText(QString::fromStdString(cells[size_t(c)].text));
            item->setData(cells[size_t(c)].sortKey, Qt::UserRole);
            item->setData(r + 1, kMemberRole);
            item->setEditable(c == sizeColumn_);
            if (c >= 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    if (!placed_) {
        view_->resizeColumnsToContents();
        // Wide enough for every column where the screen allows it.
        int width = view_->frameWidth() * 2 + view_->verticalScrollBar()->sizeHint().width();
        for (int c = 0; c < model_->columnCount(); ++c) width += view_->columnWidth(c);
        const QMargins margins = layout()->contentsMargins();
        width += margins.left() + margins.right();
        if (const QScreen* screen = anchor ? anchor->screen() : this->screen())
            width = std::min(width, screen->availableGeometry().width() * 9 / 10);
        resize(width, height());
        placeBeside(*this, anchor);
        placed_ = true;
    }
    selectMember(contents.selectedMember);
    quiet_ = false;
    show();
}

void MemberTableWindow::selectMember(int member) {
    const bool wasQuiet = quiet_;
    quiet_ = true;
    QItemSelectionModel* selection = view_->selectionModel();
    if (member < 1 || member > model_->rowCount()) {
        selection->clearSelection();
    } else {
        const QModelIndex index = sorted_->mapFromSource(model_->index(member - 1, 0));
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view_->scrollTo(index);
    }
    quiet_ = wasQuiet;
}

void MemberTableWindow::closeQuietly() {
    quiet_ = true;
    close();
    quiet_ = false;
}

QString MemberTableWindow::shownText() const {
    QStringList lines;
    QStringList cells;
    for (int c = 0; c < sorted_->columnCount(); ++c)
        cells << sorted_->headerData(c, Qt::Horizontal).toString();
    lines << cells.join('\t');
    for (int r = 0; r < sorted_->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < sorted_->columnCount(); ++c) cells << sorted_->index(r, c).data().toString();
        lines << cells.join('\t');
    }
    return lines.join('\n') + '\n';
}

void MemberTableWindow::closeEvent(QCloseEvent* event) {
    if (!quiet_) send(MessageKind::TableClosed, 0);
    QWidget::closeEvent(event);
}

bool MemberTableWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // An open size editor has the keys itself.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && view_->currentIndex().isValid()) {
            send(MessageKind::TableRowOpened, memberAt(view_->currentIndex()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MemberTableWindow::send(MessageKind kind, int member, int value) {
    WindowMessage message;
    message.kind = kind;
    message.member = member;
    message.value = value;
    post_(message);
}

int MemberTableWindow::memberAt(const QModelIndex& proxyIndex) const {
    return sorted_->mapToSource(proxyIndex).siblingAtColumn(0).data(kMemberRole).toInt();
}

PictureWindow::PictureWindow() : QWidget(nullptr, Qt::Window), label_(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label_);
}

void PictureWindow::showPicture(const QString& title, const Surface& picture, int scale,
                                const QWidget* anchor) {
    setWindowTitle(title);
    const QImage image = imageOfSurface(picture);
    label_->setPixmap(QPixmap::fromImage(image.scaled(image.width() * scale, image.height() * scale,
                                                      Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    label_->setAccessibleName(title);
    adjustSize();
    if (!isVisible() && anchor) {  // under the main window where the screen has room, else above its foot
        const QRect frame = anchor->frameGeometry();
        QPoint at(frame.left(), frame.bottom() + kGap);
        if (const QScreen* screen = anchor->screen()) {
            const QRect room = screen->availableGeometry();
            at.setX(std::max(room.left(), std::min(at.x(), room.right() - width())));
            at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - height())));
        }
        move(at);
    }
    show();
    raise();
}
