#pragma once
// The text of the GIFException an action throws, so a test can compare it with
// the exact message: EXPECT_EQ(ErrorOf([&] { image.SetWidth(1); }), "...").

#include <string>
#include <utility>

#include "raster/GIFException.h"

template <class F>
std::string ErrorOf(F&& action) {
    try {
        std::forward<F>(action)();
    } catch (const GIFException& e) {
        return e.what();
    }
    return "no error";
}
