// The favourite folders: a list to reorder, add to and remove from.
#include "dialogs/Settings.h"

#include "dialogs/DialogButtons.h"
#include "services/UserPrompts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QToolButton* SpeedButton(const char* Name, QStyle::StandardPixmap Icon, const QString& Hint, QWidget* Parent) {
    auto* button = new QToolButton(Parent);
    button->setObjectName(QLatin1String(Name));
    button->setIcon(Parent->style()->standardIcon(Icon));
    SetHint(button, Hint);
    return button;
}
} // namespace

void TfrmSettings::BuildFavoritesPanel() {
    pnlFavorites = new QWidget(this);
    pnlFavorites->setObjectName(QStringLiteral("pnlFavorites"));
    lvFavorites = new QTreeWidget(pnlFavorites);
    lvFavorites->setObjectName(QStringLiteral("lvFavorites"));
    lvFavorites->setColumnCount(1);
    lvFavorites->setHeaderLabels({QStringLiteral("Folder Location")});
    lvFavorites->setColumnWidth(0, 275);
    lvFavorites->setRootIsDecorated(false);
    lvFavorites->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFavorites->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btnUp = SpeedButton("btnUp", QStyle::SP_ArrowUp, QStringLiteral("Move Up|"), pnlFavorites);
    btnDown = SpeedButton("btnDown", QStyle::SP_ArrowDown, QStringLiteral("Move Down|"), pnlFavorites);
    btnAdd = SpeedButton("btnAdd", QStyle::SP_FileDialogNewFolder, QStringLiteral("Add Folder|"), pnlFavorites);
    btnRemove = SpeedButton("btnRemove", QStyle::SP_TrashIcon, QStringLiteral("Remove Folder|"), pnlFavorites);

    popFavorites = new QMenu(this);
    popFavorites->setObjectName(QStringLiteral("popFavorites"));
    QAction* up = popFavorites->addAction(QStringLiteral("Move &Up"));
    QAction* down = popFavorites->addAction(QStringLiteral("Move &Down"));
    QAction* add = popFavorites->addAction(QStringLiteral("&Add Folder Location"));
    QAction* remove = popFavorites->addAction(QStringLiteral("Delete Folder"));
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    remove->setShortcutContext(Qt::WidgetShortcut);
    lvFavorites->addAction(remove); // Del works on the list itself
    up->setObjectName(QStringLiteral("popFavoritesUp"));
    down->setObjectName(QStringLiteral("popFavoritesDown"));
    add->setObjectName(QStringLiteral("popFavoritesAdd"));
    remove->setObjectName(QStringLiteral("popFavoritesDelete"));
    lvFavorites->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvFavorites, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        UpdateFavoriteButtons();
        popFavorites->popup(lvFavorites->viewport()->mapToGlobal(at));
    });

    connect(btnUp, &QToolButton::clicked, this, [this] { FavoriteMove(-1); });
    connect(up, &QAction::triggered, this, [this] { FavoriteMove(-1); });
    connect(btnDown, &QToolButton::clicked, this, [this] { FavoriteMove(1); });
    connect(down, &QAction::triggered, this, [this] { FavoriteMove(1); });
    connect(btnAdd, &QToolButton::clicked, this, &TfrmSettings::FavoriteAdd);
    connect(add, &QAction::triggered, this, &TfrmSettings::FavoriteAdd);
    connect(btnRemove, &QToolButton::clicked, this, &TfrmSettings::FavoriteRemove);
    connect(remove, &QAction::triggered, this, &TfrmSettings::FavoriteRemove);
    connect(lvFavorites, &QTreeWidget::currentItemChanged, this, &TfrmSettings::UpdateFavoriteButtons);

    auto* buttons = new QVBoxLayout;
    for (QToolButton* b : {btnUp, btnDown, btnAdd, btnRemove})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(pnlFavorites);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lvFavorites, 1);
    layout->addLayout(buttons);
    UpdateFavoriteButtons();
}

void TfrmSettings::SetFavorites(const QStringList& Folders, const QString& Start) {
    FBrowseStart = Start;
    lvFavorites->clear();
    const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
    for (const QString& f : Folders) {
        auto* item = new QTreeWidgetItem(lvFavorites, {f});
        item->setIcon(0, folder);
    }
    FavoritesChanged = false;
    UpdateFavoriteButtons();
}

QStringList TfrmSettings::Favorites() const {
    QStringList folders;
    for (int i = 0; i < lvFavorites->topLevelItemCount(); ++i)
        folders << lvFavorites->topLevelItem(i)->text(0);
    return folders;
}

void TfrmSettings::UpdateFavoriteButtons() {
    const int row = lvFavorites->currentItem() && lvFavorites->currentItem()->isSelected()
                        ? lvFavorites->indexOfTopLevelItem(lvFavorites->currentItem())
                        : -1;
    const int count = lvFavorites->topLevelItemCount();
    const bool up = row > 0, down = row >= 0 && row < count - 1, any = row >= 0;
    btnUp->setEnabled(up);
    btnDown->setEnabled(down);
    btnRemove->setEnabled(any);
    const QList<QAction*> items = popFavorites->actions();
    items[0]->setEnabled(up);
    items[1]->setEnabled(down);
    items[3]->setEnabled(any);
}

void TfrmSettings::FavoriteAdd() {
    QTreeWidgetItem* selected = lvFavorites->currentItem();
    const QString start = selected ? selected->text(0) : FBrowseStart;
    const QString chosen = FPrompts.FolderName(QStringLiteral("Select a folder to search for images"), start);
    if (chosen.isEmpty())
        return;
    const QString folder = QDir::toNativeSeparators(chosen);
    if (Favorites().contains(folder))
        return;
    const int row = selected ? lvFavorites->indexOfTopLevelItem(selected) : -1;
    auto* item = new QTreeWidgetItem({folder});
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    if (row < 0 || row == lvFavorites->topLevelItemCount() - 1)
        lvFavorites->addTopLevelItem(item);
    else
        lvFavorites->insertTopLevelItem(row + 1, item);
    lvFavorites->setCurrentItem(item);
    lvFavorites->setFocus();
    FavoritesChanged = true;
    UpdateFavoriteButtons();
}

void TfrmSettings::FavoriteRemove() {
    QTreeWidgetItem* selected = lvFavorites->currentItem();
    if (!selected)
        return;
    if (FPrompts.MessageBox(TMsgType::Information, TMsgButtons::YesNo, windowTitle(),
                            QStringLiteral("Do you want to remove %1 the Favorites list?").arg(selected->text(0))) !=
        TMsgResult::Yes)
        return;
    const int row = lvFavorites->indexOfTopLevelItem(selected);
    delete lvFavorites->takeTopLevelItem(row);
    if (row > 0)
        lvFavorites->setCurrentItem(lvFavorites->topLevelItem(row - 1));
    else
        lvFavorites->setCurrentItem(nullptr);
    FavoritesChanged = true;
    UpdateFavoriteButtons();
}

void TfrmSettings::FavoriteMove(int Delta) {
    QTreeWidgetItem* selected = lvFavorites->currentItem();
    if (!selected)
        return;
    const int row = lvFavorites->indexOfTopLevelItem(selected);
    const int to = row + Delta;
    if (to < 0 || to >= lvFavorites->topLevelItemCount())
        return;
    QTreeWidgetItem* other = lvFavorites->topLevelItem(to);
    const QString text = selected->text(0);
    selected->setText(0, other->text(0));
    other->setText(0, text);
    lvFavorites->setCurrentItem(other);
    FavoritesChanged = true;
    UpdateFavoriteButtons();
}
