#include "skin/SkinSE.h"

#include "skin/CSkin.h"
#include "skin/RegularFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QVariant>
#include <QWidget>

#include <memory>
#include <optional>

namespace {

constexpr const char* kElementProperty = "skinElement";
constexpr const char* kVariantProperty = "skinLayoutVariant";
// Set on a window the layout hid, so that a later layout that places it shows it again
// while windows hidden by their owners stay hidden.
constexpr const char* kHiddenByLayout = "skinHiddenByLayout";

// Lives until the program ends; only the UI thread touches it.
std::unique_ptr<CSkin> g_skin;
QString g_lastError;

// Archives of more than this are not skins.
constexpr qint64 kMaxArchiveBytes = 64 * 1024 * 1024;

int Refuse(const QString& reason) {
    g_lastError = reason;
    return 0;
}

void ApplyFace(QWidget* window, const QString& element) {
    if (g_skin == nullptr) {
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(window)) {
        const QIcon icon = g_skin->Icon(element);
        if (!icon.isNull()) {
            button->setIcon(icon);
        }
    }
}

} // namespace

int SkinSE_LoadSkinResourceFromZIP(const QString& path, const QString& /*password*/) {
    QString reason;
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxArchiveBytes, &reason);
    if (!bytes) {
        return Refuse(QStringLiteral("cannot read %1: %2").arg(path, reason));
    }
    std::unique_ptr<CSkin> skin = CSkin::FromArchive(*bytes, &reason);
    if (skin == nullptr) {
        return Refuse(reason);
    }
    g_skin = std::move(skin);
    g_lastError.clear();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        const QHash<QPalette::ColorRole, QColor>& roles = g_skin->Manifest().m_palette;
        if (!roles.isEmpty()) {
            QPalette palette = QApplication::palette();
            for (auto it = roles.begin(); it != roles.end(); ++it) {
                palette.setColor(it.key(), it.value());
            }
            QApplication::setPalette(palette);
        }
        app->setStyleSheet(g_skin->StyleSheet());
    }
    return 1;
}

void SkinSE_SubclassWindow(QWidget* window, const QString& element) {
    if (window == nullptr) {
        return;
    }
    window->setProperty(kElementProperty, element);
    // A plain widget paints a style sheet background only when asked to.
    window->setAttribute(Qt::WA_StyledBackground, true);
    ApplyFace(window, element);
    // Style sheets select on the property; re-polishing makes a change of name show.
    window->style()->unpolish(window);
    window->style()->polish(window);
    window->update();
}

void SkinSE_SetLayoutMainFrame(QWidget* window) {
    if (window == nullptr || g_skin == nullptr) {
        return;
    }
    QString layout = SkinElementOf(window);
    const QString variant = window->property(kVariantProperty).toString();
    if (!variant.isEmpty()) {
        layout += QLatin1Char(':') + variant;
    }
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QString element = SkinElementOf(child);
        if (element.isEmpty()) {
            continue;
        }
        ApplyFace(child, element);
        const SkinRule* rule = g_skin->Rule(layout, element);
        if (rule == nullptr) {
            continue;
        }
        child->setGeometry(rule->Place(window->size()));
        if (rule->hidden) {
            if (!child->isHidden()) {
                child->setProperty(kHiddenByLayout, true);
                child->hide();
            }
        } else if (child->property(kHiddenByLayout).toBool()) {
            child->setProperty(kHiddenByLayout, QVariant());
            child->show();
        }
    }
}

void SkinSE_SetLayoutWindowPos(QWidget* window, int left, int top, int right, int bottom) {
    if (window != nullptr) {
        window->setGeometry(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    }
}

void SkinSE_UI_DrawBack(QWidget* window, QPainter& painter, int x, int y, int width, int height,
                        int alpha) {
    const QRect rect(x, y, width, height);
    painter.save();
    painter.setOpacity(alpha / 255.0);
    QString element = SkinElementOf(window);
    if (element.isEmpty() && window != nullptr) {
        element = QLatin1Char('#') + window->objectName();
    }
    if (g_skin == nullptr || !g_skin->DrawBack(painter, rect, element)) {
        // No look in the skin: the platform's window colour, never garbage.
        painter.fillRect(rect, window != nullptr ? window->palette().window() : QBrush(Qt::black));
    }
    painter.restore();
}

QString SkinElementOf(const QWidget* window) {
    return window != nullptr ? window->property(kElementProperty).toString() : QString();
}

QString SkinSE_LastError() {
    return g_lastError;
}

void SkinSE_Unload() {
    g_skin.reset();
    g_lastError.clear();
}
