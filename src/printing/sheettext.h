#pragma once
// The texts the two sheets print besides their labels: padded values with
// their units, the setting date, the print date and the base-master line.
// Qt Core only.
#include <QString>

// Spaces in front of the value until it has `width` characters; a longer
// value stays as it is (never cut, never a negative count of spaces).
QString padLeft(const QString& value, int width);

// A per-wheel value of the setting sheet: the trimmed value padded to
// `width`, then the unit ("" for none).
QString wheelValueText(const QString& value, int width, const QString& unit);

// " " + year "0000" + "年" + month "00" + "月" + day "00" + "日", each
// part read as a number.
QString settingDateText(const QString& year, const QString& month, const QString& day);

// "印刷日:" + YYYY年MM月DD日 from eight digits YYYYMMDD.
QString printDateText(const QString& todayDigits);

// "【アライメントの基準値" + ":" + name + "】" without a code, or with one
// "[" + the code as four digits + "]:" + name + "】".
QString baseMasterLine(const QString& alignmentCode, const QString& baseName);

// An alignment value: single values are padded to 14 characters, pair
// values to 8, then the unit ("mm" or "°") follows without a space.
QString alignmentValueText(const QString& value, int width, const QString& unit);
constexpr int kSingleWidth = 14;
constexpr int kPairWidth = 8;

// A tyre diameter: padded to 3 characters, then "mm".
QString tyreDiameterText(const QString& value);
