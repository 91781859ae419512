#pragma once
// The list of a folder's picture files: large square thumbnails, or a report
// with the columns "Filename", "Size" and "Dimensions". Both views show one
// model, so switching keeps the items and the selection. While empty it shows
// how thumbnails are used. Items are dragged out as their files.

#include <QIcon>
#include <QStackedWidget>

class QAbstractItemView;
class QListView;
class QMimeData;
class QStandardItemModel;
class QTreeView;

class TThumbnailView : public QStackedWidget {
    Q_OBJECT
public:
    // Drags carry the file as a URL and this format, so a drop target can tell
    // a thumbnail from a file dragged in from the desktop.
    static const char* const MimeType;

    explicit TThumbnailView(QWidget* Parent = nullptr);

    bool LargeIcons() const;
    void SetLargeIcons(bool Value);
    int TileSize() const { return FTileSize; }
    void SetTileSize(int Edge);

    int Count() const;
    void Clear();
    // An item without its picture yet; answers its row.
    int AddItem(const QString& Path, const QString& SizeText);
    void SetThumbnail(int Row, const QImage& Tile, int Width, int Height);
    bool HasThumbnail(int Row) const;
    void RemoveRow(int Row);

    int CurrentRow() const;
    void SetCurrentRow(int Row);
    QString Caption(int Row) const;    // the file name
    QString Path(int Row) const;       // the whole path
    QString SizeText(int Row) const;   // "%dKB"
    QString Dimensions(int Row) const; // "%d x %d", empty until the picture is made

    QListView* IconView() const { return FIcons; }
    QTreeView* DetailsView() const { return FDetails; }
    QAbstractItemView* CurrentView() const;
    // The drag data of the item at Row.
    QMimeData* MimeDataOf(int Row) const;
    // The two lines shown while the list is empty.
    static QStringList HintLines();
    // Lays the large icons out again (after the view's width changed).
    void ArrangeIcons();

signals:
    void CurrentChanged(int Row);
    // Double click or Enter on an item.
    void Activated(int Row);
    // Right click at Global; OverItem tells whether an item is under it.
    void ContextMenuAt(const QPoint& Global, bool OverItem);

private:
    QStandardItemModel* FModel;
    QListView* FIcons;
    QTreeView* FDetails;
    int FTileSize = 75;
    // Blank until the picture is made: every item is laid out at its final
    // size from the start, so a picture arriving later is drawn whole.
    QIcon FPlaceholder;
};
