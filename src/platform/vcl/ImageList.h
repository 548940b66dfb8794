// A list of pictures of one size.
#pragma once

#include <vector>

#include "platform/vcl/Component.h"
#include "platform/vcl/Graphics.h"

class TImageList : public TComponent {
 public:
  TImageList(TComponent* owner, std::string name, int width, int height)
      : TComponent(owner, std::move(name)), width_(width), height_(height) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }
  const TBitmap& Image(int index) const { return images_.at(index); }
  void Add(TBitmap image) { images_.push_back(std::move(image)); }

 private:
  int width_, height_;
  std::vector<TBitmap> images_;
};
