#include "Anchors.h"

namespace vk {

void Anchors::add(QWidget* control, int edges) {
    const QRect g = control->geometry();
    m_items.push_back({control, edges, g, m_parent->width() - (g.x() + g.width()),
                       m_parent->height() - (g.y() + g.height())});
}

void Anchors::apply() {
    const int pw = m_parent->width();
    const int ph = m_parent->height();
    for (const Item& item : m_items) {
        if (!item.control)
            continue;
        QRect g = item.control->geometry();
        if ((item.edges & Left) && (item.edges & Right)) {
            g.setX(item.design.x());
            g.setWidth(std::max(0, pw - item.design.x() - item.rightGap));
        } else if (item.edges & Right) {
            g.moveLeft(pw - item.rightGap - g.width());
        }
        if ((item.edges & Top) && (item.edges & Bottom)) {
            g.setY(item.design.y());
            g.setHeight(std::max(0, ph - item.design.y() - item.bottomGap));
        } else if (item.edges & Bottom) {
            g.moveTop(ph - item.bottomGap - g.height());
        }
        item.control->setGeometry(g);
    }
}

} // namespace vk
