#include "controls/ThumbnailView.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QPainter>
#include <QStandardItemModel>
#include <QTreeView>
#include <QUrl>

const char* const TThumbnailView::MimeType = "application/x-reelix-thumbnail";

namespace {
constexpr int PathRole = Qt::UserRole + 1;
constexpr int HasPictureRole = Qt::UserRole + 2;

// The model hands out files for drags.
class TThumbnailModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    QStringList mimeTypes() const override {
        return {QStringLiteral("text/uri-list"), QLatin1String(TThumbnailView::MimeType)};
    }
    QMimeData* mimeData(const QModelIndexList& Indexes) const override {
        QList<QUrl> urls;
        QStringList paths;
        for (const QModelIndex& index : Indexes) {
            if (index.column() != 0)
                continue;
            const QString path = index.data(PathRole).toString();
            urls << QUrl::fromLocalFile(path);
            paths << path;
        }
        auto* data = new QMimeData;
        data->setUrls(urls);
        data->setData(QLatin1String(TThumbnailView::MimeType), paths.join(QLatin1Char('\n')).toUtf8());
        return data;
    }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
};

void DrawHint(QWidget* Viewport) {
    QPainter painter(Viewport);
    const QFontMetrics metrics = painter.fontMetrics();
    const QStringList lines = TThumbnailView::HintLines();
    const int width = std::max(metrics.horizontalAdvance(lines[0]), metrics.horizontalAdvance(lines[1]));
    const int height = metrics.height();
    painter.setPen(Viewport->palette().color(QPalette::Text));
    painter.drawRect(QRect(QPoint(5, 25), QPoint(width + 16, 2 * height + 36)));
    painter.drawText(10, 30 + metrics.ascent(), lines[0]);
    painter.drawText(10, 31 + height + metrics.ascent(), lines[1]);
}

// Either view: the hint while empty, the owner's context menu.
template <class Base>
class THintedView : public Base {
public:
    THintedView(TThumbnailView* Owner) : Base(Owner), FOwner(Owner) {}

protected:
    void paintEvent(QPaintEvent* Event) override {
        Base::paintEvent(Event);
        if (this->model() && this->model()->rowCount() == 0)
            DrawHint(this->viewport());
    }
    void contextMenuEvent(QContextMenuEvent* Event) override {
        const QModelIndex at = this->indexAt(Event->pos());
        if (at.isValid())
            this->setCurrentIndex(at);
        emit FOwner->ContextMenuAt(Event->globalPos(), at.isValid());
    }

private:
    TThumbnailView* FOwner;
};
} // namespace

TThumbnailView::TThumbnailView(QWidget* Parent)
    : QStackedWidget(Parent), FModel(new TThumbnailModel(0, 3, this)) {
    FModel->setHorizontalHeaderLabels(
        {QStringLiteral("Filename"), QStringLiteral("Size"), QStringLiteral("Dimensions")});

    FIcons = new THintedView<QListView>(this);
    FIcons->setObjectName(QStringLiteral("lvThumbsIcons"));
    FIcons->setViewMode(QListView::IconMode);
    FIcons->setMovement(QListView::Static);
    FIcons->setResizeMode(QListView::Adjust);
    FIcons->setUniformItemSizes(true);
    FIcons->setWordWrap(true);
    FIcons->setSpacing(4);

    FDetails = new THintedView<QTreeView>(this);
    FDetails->setObjectName(QStringLiteral("lvThumbsDetails"));
    FDetails->setRootIsDecorated(false);
    FDetails->setItemsExpandable(false);
    FDetails->setUniformRowHeights(true);
    FDetails->setAllColumnsShowFocus(true);

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(FIcons), static_cast<QAbstractItemView*>(FDetails)}) {
        view->setModel(FModel);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setDragEnabled(true);
        view->setDragDropMode(QAbstractItemView::DragOnly);
        view->setDefaultDropAction(Qt::CopyAction);
        connect(view, &QAbstractItemView::activated, this,
                [this](const QModelIndex& index) { emit Activated(index.row()); });
        addWidget(view);
    }
    // Both views share the selection.
    FDetails->setSelectionModel(FIcons->selectionModel());
    connect(FIcons->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit CurrentChanged(current.isValid() ? current.row() : -1); });
    FDetails->setColumnWidth(0, 250);
    FDetails->setColumnWidth(2, 100);
    FModel->horizontalHeaderItem(1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FModel->horizontalHeaderItem(2)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetTileSize(FTileSize);
    setCurrentWidget(FIcons);
}

QStringList TThumbnailView::HintLines() {
    return {QStringLiteral("To add images to an animation, drag a thumbnail"),
            QStringLiteral("image and drop it in either of the above windows.")};
}

bool TThumbnailView::LargeIcons() const {
    return currentWidget() == FIcons;
}

void TThumbnailView::SetLargeIcons(bool Value) {
    setCurrentWidget(Value ? static_cast<QWidget*>(FIcons) : static_cast<QWidget*>(FDetails));
}

QAbstractItemView* TThumbnailView::CurrentView() const {
    return LargeIcons() ? static_cast<QAbstractItemView*>(FIcons) : static_cast<QAbstractItemView*>(FDetails);
}

void TThumbnailView::SetTileSize(int Edge) {
    FTileSize = Edge;
    FIcons->setIconSize(QSize(Edge, Edge));
    QPixmap blank(Edge, Edge);
    blank.fill(Qt::transparent);
    FPlaceholder = QIcon(blank);
    for (int row = 0; row < Count(); ++row)
        if (!HasThumbnail(row))
            FModel->item(row, 0)->setIcon(FPlaceholder);
    // Room for the caption below the tile.
    FIcons->setGridSize(QSize(Edge + 24, Edge + 2 * fontMetrics().height() + 8));
}

int TThumbnailView::Count() const {
    return FModel->rowCount();
}

void TThumbnailView::Clear() {
    FModel->removeRows(0, FModel->rowCount());
}

int TThumbnailView::AddItem(const QString& Path, const QString& SizeText) {
    auto* name = new QStandardItem(QFileInfo(Path).fileName());
    name->setData(Path, PathRole);
    name->setData(false, HasPictureRole);
    name->setIcon(FPlaceholder);
    name->setToolTip(Path);
    name->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    auto* size = new QStandardItem(SizeText);
    size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    size->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    auto* dims = new QStandardItem;
    dims->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dims->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    FModel->appendRow({name, size, dims});
    return FModel->rowCount() - 1;
}

void TThumbnailView::SetThumbnail(int Row, const QImage& Tile, int Width, int Height) {
    if (Row < 0 || Row >= Count())
        return;
    QStandardItem* name = FModel->item(Row, 0);
    name->setIcon(QIcon(QPixmap::fromImage(Tile)));
    name->setData(true, HasPictureRole);
    FModel->item(Row, 2)->setText(QStringLiteral("%1 x %2").arg(Width).arg(Height));
}

bool TThumbnailView::HasThumbnail(int Row) const {
    return Row >= 0 && Row < Count() && FModel->item(Row, 0)->data(HasPictureRole).toBool();
}

void TThumbnailView::RemoveRow(int Row) {
    FModel->removeRow(Row);
}

int TThumbnailView::CurrentRow() const {
    const QModelIndex current = FIcons->selectionModel()->currentIndex();
    // The icon view selects the name alone, the report whole rows.
    return current.isValid() && FIcons->selectionModel()->rowIntersectsSelection(current.row(), QModelIndex())
               ? current.row()
               : -1;
}

void TThumbnailView::SetCurrentRow(int Row) {
    if (Row < 0 || Row >= Count()) {
        FIcons->selectionModel()->clear();
        return;
    }
    FIcons->selectionModel()->setCurrentIndex(FModel->index(Row, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString TThumbnailView::Caption(int Row) const {
    return Row >= 0 && Row < Count() ? FModel->item(Row, 0)->text() : QString();
}

QString TThumbnailView::Path(int Row) const {
    return Row >= 0 && Row < Count() ? FModel->item(Row, 0)->data(PathRole).toString() : QString();
}

QString TThumbnailView::SizeText(int Row) const {
    return Row >= 0 && Row < Count() ? FModel->item(Row, 1)->text() : QString();
}

QString TThumbnailView::Dimensions(int Row) const {
    return Row >= 0 && Row < Count() ? FModel->item(Row, 2)->text() : QString();
}

QMimeData* TThumbnailView::MimeDataOf(int Row) const {
    return FModel->mimeData({FModel->index(Row, 0)});
}

void TThumbnailView::ArrangeIcons() {
    FIcons->doItemsLayout();
}
