// Objects with a virtual function, constructed in another file.
#ifndef CXX_SHAPE_H
#define CXX_SHAPE_H

extern unsigned constructed;

class Shape {
public:
    virtual unsigned area() const { return 0; }

protected:
    ~Shape() = default;
};

class Rectangle final : public Shape {
public:
    Rectangle(unsigned width, unsigned height) : width_(width), height_(height) { ++constructed; }
    unsigned area() const override { return width_ * height_; }

private:
    unsigned width_;
    unsigned height_;
};

extern Rectangle square;
extern const Shape &wide;

#endif
