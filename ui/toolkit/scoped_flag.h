// A flag that is set for as long as the object lives, whatever way the scope is left: the guard
// of a step that must not start again from inside itself.
#pragma once

namespace kestrov::winapi {

class scoped_flag {
public:
    explicit scoped_flag(bool& flag) : flag_(flag) { flag_ = true; }
    ~scoped_flag() { flag_ = false; }
    scoped_flag(const scoped_flag&) = delete;
    scoped_flag& operator=(const scoped_flag&) = delete;

private:
    bool& flag_;
};

} // namespace kestrov::winapi
