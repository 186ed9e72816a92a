#include "settings/wheelrules.h"

#include "data/numfmt.h"

#include <initializer_list>

double Capabilities::dampingMax(int axle, int kind) const {
  return numfmt::val(axle == 0 ? 減衰力調整幅_F[size_t(kind)] : 減衰力調整幅_R[size_t(kind)]);
}

bool isAvailable(const Capabilities& c, int item, int axle) {
  const size_t a = size_t(axle);
  switch (item) {
    case Preload: return c.車高調節[a] == 0;
    case Length: return c.全長調節[a] == 1;
    case UpperOut:
    case UpperIn: return c.キャンバー[a] == 1;
    case UpperHeight: return c.ピロ車高[a] == 1;
    case Extension:
    case Compression: return c.伸縮[a] == QStringLiteral("同時") || c.伸縮[a] == QStringLiteral("別");
    default: return true;
  }
}

QString correctWheelValue(const Capabilities& c, int item, int axle, const QString& text) {
  if (text.trimmed().isEmpty()) return text;
  const double v = numfmt::val(text);
  switch (item) {
    case Fender:
    case Preload:
    case Length:
    case UpperOut:
    case UpperIn:
    case UpperHeight:
    case FreeLength: return numfmt::format(v, u"##0");
    case SpringRate: return v > 99.9 ? QStringLiteral("99.9") : numfmt::format(v, u"#0.0");
    case SpringId: return numfmt::format(v, u"#0");
    case Extension:
    case Compression: {
      double n = v;
      const double max = c.dampingMax(axle, item == Extension ? 0 : 1);
      if (n > max) n = max;
      if (n <= 0) n = 1;
      return numfmt::format(n, u"#0");
    }
    default: return text;
  }
}

QString lowerToMaximum(const QString& text, const QString& maximum) {
  if (text.trimmed().isEmpty()) return text;
  return numfmt::val(text) > numfmt::val(maximum) ? maximum : text;
}

namespace {
WheelMove to(int wheel, int item) { return {WheelMove::Field, wheel, item}; }

// The first available of `candidates` on the wheel's axle, else `otherwise`.
WheelMove firstOf(const Capabilities& c, int wheel, std::initializer_list<int> candidates, int otherwise) {
  for (int item : candidates)
    if (isAvailable(c, item, axleOf(wheel))) return to(wheel, item);
  return to(wheel, otherwise);
}
}  // namespace

WheelMove enterMove(const Capabilities& c, int w, int item) {
  switch (item) {
    case Fender: return firstOf(c, w, {Preload, Length, UpperOut, UpperHeight, Extension}, SpringRate);
    case Preload: return firstOf(c, w, {Length, UpperOut, UpperHeight, Extension}, SpringRate);
    case Length: return firstOf(c, w, {UpperOut, UpperHeight, Extension}, SpringRate);
    case UpperOut: return to(w, UpperIn);
    case UpperIn: return firstOf(c, w, {UpperHeight, Extension}, SpringRate);
    case UpperHeight: return firstOf(c, w, {Extension}, SpringRate);
    case Extension: return to(w, Compression);
    case Compression: return to(w, SpringRate);
    case SpringRate: return to(w, SpringId);
    case SpringId: return to(w, FreeLength);
    case FreeLength: return to(w, Remark);
    case Remark: return w < 3 ? to(w + 1, Fender) : WheelMove{WheelMove::Stay, w, item};
    default: return {WheelMove::Stay, w, item};
  }
}

WheelMove escMove(const Capabilities& c, int w, int item) {
  switch (item) {
    case Fender: return w > 0 ? to(w - 1, Remark) : WheelMove{WheelMove::CoilOverList, w, item};
    case Preload: return to(w, Fender);
    case Length: return firstOf(c, w, {Preload}, Fender);
    case UpperOut: return firstOf(c, w, {Length, Preload}, Fender);
    case UpperIn: return to(w, UpperOut);
    case UpperHeight: return firstOf(c, w, {UpperIn, Length, Preload}, Fender);
    case Extension: return firstOf(c, w, {UpperHeight, UpperIn, Length, Preload}, Fender);
    case Compression: return to(w, Extension);
    case SpringRate: return firstOf(c, w, {Compression, UpperHeight, UpperIn, Length, Preload}, Fender);
    case SpringId: return to(w, SpringRate);
    case FreeLength: return to(w, SpringId);
    case Remark: return to(w, FreeLength);
    default: return {WheelMove::Stay, w, item};
  }
}
