#pragma once
// What the chosen coil-over product allows on each axle, and the rules of the
// per-wheel fields that follow from it: availability, corrections of typed
// values and the Enter/Esc walk. Plain data and functions, no widgets.
#include <QString>
#include <array>

// The twelve per-wheel items, in their stored and tab order.
enum WheelItem {
  Fender = 0,   // フェンダー高 ①
  Preload,      // プリロード ②
  Length,       // 全長 ③
  UpperOut,     // アッパーout ④
  UpperIn,      // アッパーin ⑤
  UpperHeight,  // アッパー車高 ⑥
  Extension,    // 伸
  Compression,  // 縮
  SpringRate,   // バネレート
  SpringId,     // ID
  FreeLength,   // 自由長
  Remark,       // 備考
  WheelItemCount
};

inline int axleOf(int wheel) { return wheel < 2 ? 0 : 1; }

// Capability state, one entry per axle (0 front, 1 rear). The reset state
// (all zero, texts empty) is what a product that is not found gives.
struct Capabilities {
  std::array<int, 2> 車高調節{};   // 1: neither threaded nor C-ring seat height adjustment
  std::array<int, 2> 全長調節{};
  std::array<int, 2> キャンバー{};
  std::array<int, 2> ピロ車高{};
  std::array<QString, 2> 伸縮;     // "", "なし", "同時", "別"
  std::array<QString, 2> 減衰力調整幅_F;  // [0] extension, [1] compression maximum, front
  std::array<QString, 2> 減衰力調整幅_R;  // the same for the rear
  // Damping maximum of an axle: kind 0 extension, 1 compression.
  double dampingMax(int axle, int kind) const;
};

bool isAvailable(const Capabilities& caps, int item, int axle);

// The corrected text of a per-wheel value on Enter, Esc or leaving the field.
// Blank text stays as it is.
QString correctWheelValue(const Capabilities& caps, int item, int axle, const QString& text);

// The damping value lowered to the product's maximum when a product is
// applied; blank stays blank.
QString lowerToMaximum(const QString& text, const QString& maximum);

// Where Enter or Esc moves the focus from (wheel, item).
struct WheelMove {
  enum Kind { Field, Stay, CoilOverList } kind = Field;
  int wheel = 0;
  int item = 0;
};
WheelMove enterMove(const Capabilities& caps, int wheel, int item);
WheelMove escMove(const Capabilities& caps, int wheel, int item);
