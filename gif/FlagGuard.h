#pragma once
// Sets a flag for the lifetime of a scope, on every way out of it (the image
// marks that it is drawing or changing its palette, so a call that comes back
// into it meanwhile can tell).

class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagGuard() { flag_ = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& flag_;
};
