#include "gif/ChosenStringsEncoder.h"

void TChosenStringsEncoder::PutCode(unsigned code) {
    PackCode(code);
    AdvanceWidth(FreeCode);
}

void TChosenStringsEncoder::ResetCodes() { Clear(); }

void TChosenStringsEncoder::Begin() {
    stored_ = StoredPixels();
    Clear();
}

void TChosenStringsEncoder::Clear() {
    JustCleared = true;
    PutCode(ClearCode);
    dictionary_.Clear();
    FreeCode = FirstFree;
}

void TChosenStringsEncoder::WriteString(unsigned code, std::size_t end, bool learnsNew) {
    PutCode(code);
    if (end >= stored_.size()) return;
    if (FreeCode > kLastCode) {
        if (FullTable.ShouldClear(end, std::size_t(FreeCode - FirstFree))) Clear();
        return;
    }
    if (learnsNew) dictionary_.Store(static_cast<int>(code), stored_[end], FreeCode);
    ++FreeCode;
}
