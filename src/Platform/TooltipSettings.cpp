// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform/TooltipSettings.h"

#include <QApplication>
#include <algorithm>
#include <QHelpEvent>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QToolTip>
#include <QWidget>

namespace {

int WakeUpDelay = 700;
int DisplayTime = 10000;

// The style answers the tooltip delay; everything else is the Fusion look.
class TooltipStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return WakeUpDelay;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Shows a widget's own tooltip for the chosen display time (the desktop would otherwise
// pick one from the text's length). Line breaks arrive as CR LF.
class TooltipTimer : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->toolTip().isEmpty()) return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QString text = widget->toolTip();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QToolTip::showText(help->globalPos(), text, widget, QRect(), DisplayTime);
        return true;
    }
};

void InstallOnce() {
    static QPointer<QStyle> style;
    static QPointer<TooltipTimer> timer;
    if (!style || QApplication::style() != style.data()) {
        style = new TooltipStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setStyle(style);
    }
    if (!timer) {
        timer = new TooltipTimer(qApp);
        qApp->installEventFilter(timer);
    }
}

}  // namespace

void SetTooltipTiming(int wakeUpDelayMs, int displayTimeMs) {
    WakeUpDelay = std::max(0, wakeUpDelayMs);
    DisplayTime = displayTimeMs > 0 ? displayTimeMs : -1;  // -1: the desktop's own time
    InstallOnce();
}

void SetTooltipColor(const QColor& background) {
    QPalette p = QToolTip::palette();
    if (p.color(QPalette::ToolTipBase) == background) return;
    p.setColor(QPalette::ToolTipBase, background);
    p.setColor(QPalette::ToolTipText, QColor(0x10, 0x18, 0x28));
    QToolTip::setPalette(p);
}

int TooltipWakeUpDelay() { return WakeUpDelay; }
int TooltipDisplayTime() { return DisplayTime; }
