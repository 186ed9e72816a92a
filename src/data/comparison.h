#pragma once
// Two stored settings side by side: which setting a chosen one is compared
// with, and which of the 48 wheel values differ and by how much. The window
// and the printed sheet both show a SettingComparison.
#include "data/records.h"

#include <QString>
#include <array>
#include <optional>

namespace comparison {

// newer − older of two wheel values when both are plain numbers, with the
// sign and as many decimals as the more precise of the two ("+2", "-5",
// "+0.5"); "" when either is no number or they are equal.
QString difference(const QString& older, const QString& newer);
// Whether two wheel values differ: as numbers when both are numbers ("8" and
// "8.0" are the same), otherwise as trimmed texts.
bool differs(const QString& older, const QString& newer);

struct SettingComparison {
  SettingRecord older, newer;  // the older (by record date, then code) on the left
  std::array<std::array<bool, 12>, 4> differing{};     // [wheel][item]
  std::array<std::array<QString, 12>, 4> difference;  // "+2", or "" where none is shown
  int count = 0;                                       // values that differ
};
// Compares two settings, putting the older one on the left.
SettingComparison compare(const SettingRecord& a, const SettingRecord& b);

// "2026/05/12" from a setting's year, month and day.
QString dateText(const SettingRecord& setting);

// The stored setting `code` as the main window shows it after loading: the
// code "0012", the user and product as their list texts ("0003:佐藤　一郎",
// "0000:なし" when none or no longer stored), the wheel values trimmed.
// Nothing when it is not stored. Throws DbError.
std::optional<SettingRecord> readSetting(qint64 code);

// The setting a chosen one is compared with: the one the main window shows
// (`shown`, 0 for none) when it is another stored setting; otherwise the same
// user's newest setting before the chosen one by record date, then code (the
// customer's previous visit). 0 when there is none, also when the chosen
// setting has no user. Throws DbError.
qint64 partnerOf(qint64 chosen, qint64 shown);

}  // namespace comparison
