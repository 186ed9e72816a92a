#pragma once
#include <QWidget>

class Setting : public QWidget {
 public:
  explicit Setting(QWidget* parent = nullptr);
  void startUp();
};
