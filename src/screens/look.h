#pragma once
// The program's look and language: the Japanese UI font, the mapping of the
// "ＭＳ 明朝" / "ＭＳ ゴシック" face names to the IPA fonts, and Qt's own
// Japanese translations (file dialogs, print preview).
class QApplication;

void setUpLookAndLanguage(QApplication& app);
