#include "app/mainwindow.h"
Setting::Setting(QWidget* parent) : QWidget(parent) { setWindowTitle(QStringLiteral("Ashimemo")); }
void Setting::startUp() {}
