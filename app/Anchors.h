// Keeps child controls at fixed distances from the edges of their parent that they are anchored
// to, as the parent is resized. Distances are taken when a control is added, so add controls
// while the parent has its laid-out size.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

namespace vk {

class Anchors final {
public:
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8 };

    explicit Anchors(QWidget* parent) : m_parent(parent) {}

    void add(QWidget* control, int edges);
    // Re-places every control for the parent's current size.
    void apply();

private:
    struct Item {
        QPointer<QWidget> control;
        int edges;
        QRect design;
        int rightGap;
        int bottomGap;
    };
    QWidget* m_parent;
    std::vector<Item> m_items;
};

} // namespace vk
