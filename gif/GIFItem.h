#pragma once
// Base classes of the GIF object tree: an item that reads and writes itself and
// warns through its image, and an owning, ordered list of items. Items know the
// list that holds them and unlink themselves when destroyed, so deleting a frame
// or an extension directly never leaves a dangling entry behind.

#include <memory>
#include <string>
#include <vector>

#include "gif/GIFTypes.h"

class TGIFImage;
class TGIFList;
class TStream;

class TGIFItem : public TPersistent {
public:
    explicit TGIFItem(TGIFImage* owner) : ownerImage_(owner) {}
    ~TGIFItem() override;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    const char* ClassName() const override { return "TGIFItem"; }

    // The image this item belongs to (not owned; may be null for free items).
    virtual TGIFImage* OwnerImage() const { return ownerImage_; }
    // Moves the item (and what it owns) to another image.
    virtual void SetOwnerImage(TGIFImage* image) { ownerImage_ = image; }
    // The lowest GIF version this item needs to be written.
    virtual TGIFVersion RequiredVersion() const { return gv87a; }
    // Forwards to the owning image's warning dispatch, with this item as sender.
    virtual void ReportWarning(int severity, const std::string& text);

    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    void WriteToFile(const std::string& fileName);
    void ReadFromFile(const std::string& fileName);

    // The list holding this item, or null.
    TGIFList* List() const { return list_; }

protected:
    TGIFImage* ownerImage_;

private:
    friend class TGIFList;
    TGIFList* list_ = nullptr;
};

class TGIFList : public TPersistent {
public:
    explicit TGIFList(TGIFImage* owner) : ownerImage_(owner) {}
    ~TGIFList() override;
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    const char* ClassName() const override { return "TGIFList"; }
    TGIFImage* OwnerImage() const { return ownerImage_; }
    void SetOwnerImage(TGIFImage* image) { ownerImage_ = image; }

    virtual void ReportWarning(int severity, const std::string& text);
    // Writes every item in order.
    virtual void SaveToStream(TStream& stream);

    int Count() const { return static_cast<int>(items_.size()); }
    // Index outside 0..Count-1 raises "List index out of bounds".
    TGIFItem* Item(int index) const;
    // Appends; answers the index. An item still held by another list leaves it first.
    int Add(std::unique_ptr<TGIFItem> item);
    void Insert(int index, std::unique_ptr<TGIFItem> item);
    // Unlinks without freeing; answers the old index (-1 when not held here).
    // The caller takes over ownership of the item.
    int Remove(TGIFItem* item);
    // Unlinks the item at index and hands it to the caller.
    std::unique_ptr<TGIFItem> Extract(int index);
    // Unlinks and frees.
    void Delete(int index);
    // Deletes index 0 until empty (items freed in list order).
    void Clear();
    void Move(int fromIndex, int toIndex);
    int IndexOf(const TGIFItem* item) const;

protected:
    // Called after an item has joined the list.
    virtual void ItemInserted(TGIFItem* item) {}

    TGIFImage* ownerImage_;

private:
    void CheckIndex(int index, int limit) const;
    std::vector<TGIFItem*> items_;  // owned; raw so that self-unlinking stays simple
};

// A list of one item type, answering typed pointers.
template <class T>
class TGIFTypedList : public TGIFList {
public:
    using TGIFList::TGIFList;
    T* Item(int index) const { return static_cast<T*>(TGIFList::Item(index)); }
    T* operator[](int index) const { return Item(index); }
    int Add(std::unique_ptr<T> item) { return TGIFList::Add(std::move(item)); }
    void Insert(int index, std::unique_ptr<T> item) { TGIFList::Insert(index, std::move(item)); }
    std::unique_ptr<T> Extract(int index) {
        return std::unique_ptr<T>(static_cast<T*>(TGIFList::Extract(index).release()));
    }
};
