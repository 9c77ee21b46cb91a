// minimum_size: the least size a dialog of the installer may be shrunk to,
// taken from the dialog itself (its size when shown), and the resize rule
// every dialog shares: never smaller than that in either direction.
#ifndef KITSETUP_UI_MINIMUM_SIZE_H
#define KITSETUP_UI_MINIMUM_SIZE_H

class OI_d_tech;

class minimum_size {
public:
    // Takes the window's present size as the least.
    void remember(const OI_d_tech* window);
    bool remembered() const { return width_ > 0; }
    // Brings window back to the least size where it was made smaller.
    void enforce(OI_d_tech* window) const;

private:
    int width_ = 0;
    int height_ = 0;
};

#endif
