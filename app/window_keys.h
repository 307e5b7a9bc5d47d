#pragma once

// The keys every window of the program answers as a desktop dialog does.

#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>
#include <functional>

namespace pelloran {

// Escape anywhere in `window` runs `on_escape` (closes the window or leads
// back from it).
inline void OnEscape(QWidget* window, std::function<void()> on_escape) {
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, window, std::move(on_escape));
}

// Enter or Return in `window` presses the focused push button, or else
// `default_button`.
inline void OnEnter(QWidget* window, QPushButton* default_button) {
  for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(key), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, [window, default_button] {
      auto* focused = qobject_cast<QPushButton*>(window->focusWidget());
      QPushButton* pressed = focused != nullptr ? focused : default_button;
      if (pressed->isEnabled()) pressed->click();
    });
  }
  default_button->setDefault(true);
}

}  // namespace pelloran
