#pragma once
// The side view of a coil-over strut on each wheel panel, with the circled
// numbers ① to ⑥ pointing at what the first six fields measure. Drawn, not
// loaded, so that it is sharp at any size.
#include <QWidget>

class QPainter;

class StrutPicture : public QWidget {
 public:
  // `mirrored`: drawn for a right-hand wheel.
  explicit StrutPicture(bool mirrored, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {130, 200}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void draw(QPainter& p);
  bool mirrored_;
};
