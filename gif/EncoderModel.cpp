#include "gif/EncoderModel.h"

#include <algorithm>

void TStringDictionary::Clear() {
    slots_.fill(kEmpty);
    if (++generation_ == 0) {
        firstStamp_.fill(0);
        generation_ = 1;
    }
}

TEncoderModel::TEncoderModel(TStringDictionary& dictionary, int bits, bool keepsFullTable)
    : dictionary_(dictionary), fullTable_(!keepsFullTable), first_((1 << std::clamp(bits, 2, 8)) + 2), next_(first_) {
    dictionary_.Clear();
}

// The string ends before `symbol`: its code goes out, and the encoder learns
// it extended by `symbol` (until the table is full, when it may clear), unless
// it holds that string already (`learns` false): that still takes a code.
void TEncoderModel::EndString(int symbol, bool learns) {
    if (next_ > 4094) {
        if (fullTable_.ShouldClear(position_, std::size_t(next_ - first_))) {
            dictionary_.Clear();
            next_ = first_;
        }
    } else {
        if (learns) dictionary_.Store(prefix_, symbol, next_);
        ++next_;
    }
    prefix_ = symbol;
}
