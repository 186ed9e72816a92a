#include "printing/prninf.h"

#include "data/datafile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <map>
#include <memory>

PrnInfRecord PrnInf;

namespace {

// Open printer files by number, as the program numbers them.
std::map<int, std::unique_ptr<QFileDevice>>& openFiles() {
  static std::map<int, std::unique_ptr<QFileDevice>> files;
  return files;
}

int freeNumber() {
  int n = 1;
  while (openFiles().count(n)) ++n;
  return n;
}

QFileDevice* fileOf(int number) {
  auto it = openFiles().find(number);
  return it == openFiles().end() ? nullptr : it->second.get();
}

const char* const kCodePage = "Shift_JIS";

}  // namespace

QString prnInfFileName(const QString& key) { return key.trimmed() + QStringLiteral(".PRN"); }

int OpenPrnInf(const QString& key, const QString& mode) {
  const QString name = prnInfFileName(key);
  const QString m = mode.toUpper();
  std::unique_ptr<QFileDevice> file;
  if (m == QLatin1String("W")) {
    auto out = std::make_unique<QSaveFile>(name);
    if (!out->open(QIODevice::WriteOnly)) return 0;
    file = std::move(out);
  } else if (m == QLatin1String("R")) {
    if (!FileExists(name)) return 0;
    auto in = std::make_unique<QFile>(name);
    if (!in->open(QIODevice::ReadOnly)) return 0;
    file = std::move(in);
  } else {
    return 0;
  }
  const int number = freeNumber();
  openFiles()[number] = std::move(file);
  return number;
}

bool ClosePrnInf(int fileNumber) {
  auto it = openFiles().find(fileNumber);
  if (it == openFiles().end()) return false;
  bool ok = true;
  if (auto* save = qobject_cast<QSaveFile*>(it->second.get()))
    ok = save->commit();
  else
    it->second->close();
  openFiles().erase(it);
  return ok;
}

QByteArray prnInfBytes(const PrnInfRecord& r) {
  QString text;
  for (const QString* v : {&r.PrnName, &r.PaperName, &r.OrientName, &r.MarginTop, &r.MarginLeft})
    text += *v + QStringLiteral("\r\n");
  QStringEncoder encode(kCodePage);
  return encode(text);
}

std::optional<std::array<QString, 5>> readPrnInfFields(const QByteArray& bytes) {
  QStringDecoder decode(kCodePage);
  const QString text = decode(bytes);
  if (decode.hasError()) return std::nullopt;

  std::array<QString, 5> out;
  int count = 0;
  const qsizetype n = text.size();
  qsizetype i = 0;
  auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
  auto isLineEnd = [](QChar c) { return c == u'\r' || c == u'\n'; };
  while (i < n && count < 5) {
    while (i < n && isBlank(text[i])) ++i;
    QString value;
    if (i < n && text[i] == u'"') {
      // A quoted value runs to the closing quote; the rest of the field
      // up to its comma or line end is dropped.
      const qsizetype close = text.indexOf(u'"', i + 1);
      const qsizetype end = close < 0 ? n : close;
      value = text.mid(i + 1, end - i - 1);
      i = close < 0 ? n : close + 1;
      while (i < n && text[i] != u',' && !isLineEnd(text[i])) ++i;
    } else {
      const qsizetype start = i;
      while (i < n && text[i] != u',' && !isLineEnd(text[i])) ++i;
      value = text.mid(start, i - start).trimmed();
    }
    out[count++] = value;
    if (i < n && text[i] == u',') {
      ++i;
    } else if (i < n) {
      if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
      ++i;
    }
  }
  if (count < 5) return std::nullopt;
  return out;
}

int ReadPrnInf(const QString& key) {
  const int number = OpenPrnInf(key, QStringLiteral("R"));
  if (number == 0) return 0;
  QFileDevice* file = fileOf(number);
  const QByteArray bytes = file->readAll();
  const bool readOk = file->error() == QFileDevice::NoError;
  ClosePrnInf(number);
  const auto fields = readOk ? readPrnInfFields(bytes) : std::nullopt;
  if (!fields) return 0;
  PrnInf.PrnName = (*fields)[0];
  PrnInf.PaperName = (*fields)[1];
  PrnInf.OrientName = (*fields)[2];
  PrnInf.MarginTop = (*fields)[3];
  PrnInf.MarginLeft = (*fields)[4];
  return number;
}

bool WritePrnInf(const QString& key) {
  const int number = OpenPrnInf(key, QStringLiteral("W"));
  if (number == 0) return false;
  const QByteArray bytes = prnInfBytes(PrnInf);
  const bool written = fileOf(number)->write(bytes) == bytes.size();
  if (!written) {
    if (auto* save = qobject_cast<QSaveFile*>(fileOf(number))) save->cancelWriting();
  }
  return ClosePrnInf(number) && written;
}
