#pragma once

#include "framework/CButton.h"
#include "framework/DataExchange.h"

#include <array>
#include <cstddef>

// The check boxes of a page whose states are stored together, in a fixed order of control ids.
template <std::size_t Count>
class CheckBoxGroup {
public:
    explicit CheckBoxGroup(const std::array<int, Count>& controlIds) : m_controlIds(controlIds) {}

    void Bind(CDataExchange* exchange)
    {
        for (std::size_t i = 0; i < Count; ++i) {
            DDX_Control(exchange, m_controlIds[i], m_boxes[i]);
        }
    }
    void CheckAll()
    {
        for (CButton& box : m_boxes) {
            box.SetCheck(BST_CHECKED);
        }
    }
    // True for each checked box, in the group's order.
    std::array<bool, Count> States() const
    {
        std::array<bool, Count> states{};
        for (std::size_t i = 0; i < Count; ++i) {
            states[i] = m_boxes[i].GetCheck() == BST_CHECKED;
        }
        return states;
    }

private:
    std::array<int, Count> m_controlIds;
    std::array<CButton, Count> m_boxes;
};
