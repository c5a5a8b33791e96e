#pragma once

#include <QString>
#include <chrono>

class QWidget;

namespace Ui {

inline constexpr std::chrono::milliseconds kTimedMessageTimeout{30'000};

// An information box with an OK button, titled with the owner's current
// caption and modal to it, that closes by itself after `timeout` unless the
// user closes it first. Returns when it has closed.
void ShowTimedMessage(QWidget* owner, const QString& text,
                      std::chrono::milliseconds timeout = kTimedMessageTimeout);

}  // namespace Ui
