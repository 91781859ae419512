#include "gif/RunChooser.h"

void TRunChooser::Choose(const std::vector<int>& want, const std::vector<int>& option, int clear, int bits,
                          std::vector<std::uint8_t>& out) {
    TEncoderModel model(dictionary_, bits);
    const TStringDictionary& dictionary = model.Dictionary();
    out.resize(want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        const int prefix = model.Prefix();
        auto extends = [&](int from, int symbol) { return from >= 0 && dictionary.Find(from, symbol) >= 0; };
        int symbol = want[k];
        if (symbol < 0) {
            symbol = clear;
            const bool keepExtends = option[k] >= 0 && extends(prefix, option[k]);
            const bool clearExtends = extends(prefix, clear);
            if (keepExtends && !clearExtends) {
                symbol = option[k];
            } else if (keepExtends && k + 1 < want.size()) {
                // Both continue the string: the one the next pixel can continue too.
                auto continues = [&](int code) {
                    if (want[k + 1] >= 0) return extends(code, want[k + 1]);
                    return extends(code, clear) || (option[k + 1] >= 0 && extends(code, option[k + 1]));
                };
                if (continues(dictionary.Find(prefix, option[k])) && !continues(dictionary.Find(prefix, clear)))
                    symbol = option[k];
            }
        }
        out[k] = static_cast<std::uint8_t>(symbol);
        model.Feed(symbol);
    }
}
