#include "gif/GIFItem.h"

#include <algorithm>

#include "raster/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"

void RaiseCannotAssign(const TPersistent* source, const TPersistent& target) {
    const std::string from = source ? source->ClassName() : "nil";
    throw GIFException("Cannot assign a " + from + " to a " + target.ClassName());
}

TGIFItem::~TGIFItem() {
    if (list_) list_->Remove(this);
}

void TGIFItem::ReportWarning(int severity, const std::string& text) {
    if (TGIFImage* image = OwnerImage()) image->DispatchWarning(this, severity, text);
}

void TGIFItem::WriteToFile(const std::string& fileName) {
    TMemoryStream encoded;  // the old file stays intact if writing fails
    SaveToStream(encoded);
    TFileStream stream(fileName, TFileStream::Mode::Create);
    stream.Write(encoded.Data(), static_cast<std::size_t>(encoded.Size()));
}

void TGIFItem::ReadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileStream::Mode::Read);
    LoadFromStream(stream);
}

TGIFList::~TGIFList() { Clear(); }

void TGIFList::ReportWarning(int severity, const std::string& text) {
    if (ownerImage_) ownerImage_->DispatchWarning(this, severity, text);
}

void TGIFList::SaveToStream(TStream& stream) {
    for (TGIFItem* item : items_) item->SaveToStream(stream);
}

void TGIFList::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit) throw GIFException("List index out of bounds (" + std::to_string(index) + ")");
}

TGIFItem* TGIFList::Item(int index) const {
    CheckIndex(index, Count() - 1);
    return items_[static_cast<std::size_t>(index)];
}

int TGIFList::Add(std::unique_ptr<TGIFItem> item) {
    Insert(Count(), std::move(item));
    return Count() - 1;
}

void TGIFList::Insert(int index, std::unique_ptr<TGIFItem> item) {
    if (!item) throw GIFException("Invalid list item");
    // A unique_ptr made from an item another list still holds: take it over
    // from that list instead of owning it twice.
    if (item->list_) item->list_->Remove(item.get());
    CheckIndex(index, Count());
    items_.insert(items_.begin() + index, item.get());
    TGIFItem* raw = item.release();
    raw->list_ = this;
    ItemInserted(raw);
}

int TGIFList::Remove(TGIFItem* item) {
    const int index = IndexOf(item);
    if (index < 0) return -1;
    items_.erase(items_.begin() + index);
    item->list_ = nullptr;
    return index;
}

std::unique_ptr<TGIFItem> TGIFList::Extract(int index) {
    TGIFItem* item = Item(index);
    items_.erase(items_.begin() + index);
    item->list_ = nullptr;
    return std::unique_ptr<TGIFItem>(item);
}

void TGIFList::Delete(int index) { Extract(index).reset(); }

void TGIFList::Clear() {
    // From the end: each removal is then constant, clearing linear in the count.
    while (!items_.empty()) Delete(Count() - 1);
}

void TGIFList::Move(int fromIndex, int toIndex) {
    CheckIndex(fromIndex, Count() - 1);
    CheckIndex(toIndex, Count() - 1);
    if (fromIndex == toIndex) return;
    TGIFItem* item = items_[static_cast<std::size_t>(fromIndex)];
    items_.erase(items_.begin() + fromIndex);
    items_.insert(items_.begin() + toIndex, item);
}

int TGIFList::IndexOf(const TGIFItem* item) const {
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}
