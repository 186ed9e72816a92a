#include "printtest.h"


#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>

FakePrinters::FakePrinters() { setPrinterCatalogue(this); }
FakePrinters::~FakePrinters() { setPrinterCatalogue(nullptr); }

bool FakePrinters::print(const PrintDocument& document, const QString& name, QString* error) {
  if (!sizes.contains(name)) {
    *error = QStringLiteral("no such printer");
    return false;
  }
  printed.append({name, document});
  return true;
}

ScriptedPdfPath::ScriptedPdfPath(QString a) : answer(std::move(a)) {
  setPdfPathChooser([this](QWidget*, const QString& suggested) {
    asked.append(suggested);
    return answer;
  });
}
ScriptedPdfPath::~ScriptedPdfPath() { setPdfPathChooser({}); }

void writePrnFile(const QString& key, const QString& content) {
  QFile f(key + QStringLiteral(".PRN"));
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  QStringEncoder encode("Shift_JIS");
  f.write(encode(content));
}

void writePdfPrnFile(const QString& key, int top, int left) {
  writePrnFile(key, QStringLiteral("PDFファイル\r\nA4 - 210 x 297 mm\r\n縦方向\r\n%1\r\n%2\r\n").arg(top).arg(left));
}

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class T>
static QList<T> itemsOf(const PrintPage& page) {
  QList<T> out;
  for (const PrintItem& item : page.items)
    if (const T* t = std::get_if<T>(&item)) out.append(*t);
  return out;
}
QList<TextItem> textsOf(const PrintPage& page) { return itemsOf<TextItem>(page); }
QList<LineItem> linesOf(const PrintPage& page) { return itemsOf<LineItem>(page); }
QList<RectItem> rectsOf(const PrintPage& page) { return itemsOf<RectItem>(page); }
QList<PictureItem> picturesOf(const PrintPage& page) { return itemsOf<PictureItem>(page); }

QList<TextItem> textsNamed(const PrintPage& page, const QString& text) {
  QList<TextItem> out;
  for (const TextItem& t : textsOf(page))
    if (t.text == text) out.append(t);
  return out;
}

bool hasLine(const PrintPage& page, int x1, int y1, int x2, int y2, int penWidth) {
  for (const LineItem& l : linesOf(page)) {
    if (l.penWidth != penWidth) continue;
    if ((l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2) ||
        (l.x1 == x2 && l.y1 == y2 && l.x2 == x1 && l.y2 == y1))
      return true;
  }
  return false;
}

bool hasShade(const PrintPage& page, int x1, int y1, int x2, int y2) {
  for (const RectItem& r : rectsOf(page))
    if (r.x1 == x1 && r.y1 == y1 && r.x2 == x2 && r.y2 == y2 && r.brushColor == 8454143 && r.penColor == 16777215 &&
        r.penWidth == 0)
      return true;
  return false;
}

SettingRecord sampleSetting() {
  SettingRecord r;
  r.code = QStringLiteral("0012");
  r.name = QStringLiteral("サーキット用　初期セット");
  r.year = QStringLiteral("2024");
  r.month = QStringLiteral("03");
  r.day = QStringLiteral("05");
  r.user = QStringLiteral("0003:佐藤　一郎");
  r.coilOver = QStringLiteral("02:ストリートスペック");
  for (int w = 0; w < 4; ++w) {
    auto& v = r.wheel[size_t(w)];
    v[0] = QString::number(640 + w);  // フェンダー高
    v[1] = QStringLiteral("5");       // プリロード
    v[2] = QStringLiteral("520");     // 全長
    v[3] = QStringLiteral("2");       // アッパーout
    v[4] = QStringLiteral("1");       // アッパーin
    v[5] = QStringLiteral("15");      // アッパー車高
    v[6] = QStringLiteral("12");      // 伸
    v[7] = QStringLiteral("8");       // 縮
    v[8] = QStringLiteral("8");       // バネレート
    v[9] = QStringLiteral("65");      // ID
    v[10] = QStringLiteral("200");    // 自由長
    v[11] = QStringLiteral("異音なし");  // 備考
  }
  return r;
}

AlignmentRecord sampleAlignment() {
  AlignmentRecord a;
  a.alignmentCode = QStringLiteral("0007");
  a.baseName = QStringLiteral("ＧＴ－Ｒ標準");
  for (int i = 0; i < 26; ++i) a.standard[size_t(i)] = QStringLiteral("0.%1").arg(i, 2, 10, QLatin1Char('0'));
  for (int i = 0; i < 22; ++i) {
    a.before[size_t(i)] = QStringLiteral("-1.%1").arg(i, 2, 10, QLatin1Char('0'));
    a.after[size_t(i)] = QStringLiteral("2.%1").arg(i, 2, 10, QLatin1Char('0'));
  }
  a.tyreSize = {QStringLiteral("205/50R16"), QStringLiteral("225/45R17")};
  a.tyreDiameter = {QStringLiteral("62"), QStringLiteral("640")};
  return a;
}

QString runTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return QString();
  return QString::fromUtf8(p.readAllStandardOutput());
}

bool copyWheelPictures() {
  const QString assets =
      qEnvironmentVariable("ASHIMEMO_SOURCE_DIR", QStringLiteral(ASHIMEMO_SOURCE_DIR_DEFAULT)) + QStringLiteral("/assets/");
  bool ok = true;
  for (const QString& name : {QStringLiteral("セッティング左.GIF"), QStringLiteral("セッティング右.GIF")}) {
    QFile::remove(name);
    ok = QFile::copy(assets + name, name) && ok;
  }
  return ok;
}
