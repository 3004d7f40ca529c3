#pragma once
// Busy pointer for the length of a procedure. Releasing a shown one drops the
// keystrokes and clicks that arrived meanwhile and puts the default pointer back.
namespace ui {

class CHourGlass {
public:
    CHourGlass() = default;
    ~CHourGlass();
    CHourGlass(const CHourGlass &) = delete;
    CHourGlass &operator=(const CHourGlass &) = delete;

    // True: the hourglass; False: the default pointer.
    void Show(bool action);
    bool Shown() const { return shown_; }

private:
    bool shown_ = false;
};

} // namespace ui
