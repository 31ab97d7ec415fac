#pragma once
// The Tag -1 mark of the one main instance of a class in the program:
// giving -1 to one takes the mark from the previous main instance (its Tag
// becomes 0); giving another value to the main instance leaves none; the
// main instance's destruction clears the mark.
namespace setupwizard {

template <typename T>
class MainInstance {
public:
    static T* Current() { return current_; }

    // Sets owner's Tag under the rule above.
    static void SetTag(T& owner, int& tag, int value) {
        if (value == -1) {
            if (current_ && current_ != &owner) current_->tagRef() = 0;
            current_ = &owner;
        } else if (current_ == &owner) {
            current_ = nullptr;
        }
        tag = value;
    }
    static void Forget(T& owner) {
        if (current_ == &owner) current_ = nullptr;
    }

private:
    static inline T* current_ = nullptr;
};

}  // namespace setupwizard
