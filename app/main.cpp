#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QString());
  QWidget window;
  window.setWindowTitle(QStringLiteral("Pelloran"));
  window.resize(825, 556);
  window.show();
  return app.exec();
}
