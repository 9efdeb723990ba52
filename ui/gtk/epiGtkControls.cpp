// Native controls of the GTK window system, placed in the window's GtkFixed layer.
#include "ui/gtk/epiGtkWindowSystem.h"

#include <algorithm>
#include <sstream>

namespace {

using Control = epiGtkWindowSystem::Control;

std::vector<std::string> splitItems(const std::string& text)
{
    std::vector<std::string> items;
    if (text.empty())
        return items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, '|'))
        items.push_back(item);
    return items;
}

void tell(Control& record, epiControlEvent event, int32_t value)
{
    if (record.silent == 0 && record.desc.listener)
        record.desc.listener->controlEvent(record.handle, event, value);
}

void onClicked(GtkButton*, gpointer data)
{
    tell(*static_cast<Control*>(data), epiControlEvent::Clicked, 0);
}

void onToggled(GtkToggleButton* button, gpointer data)
{
    tell(*static_cast<Control*>(data), epiControlEvent::Toggled, gtk_toggle_button_get_active(button) ? 1 : 0);
}

void onChanged(GtkEditable*, gpointer data)
{
    tell(*static_cast<Control*>(data), epiControlEvent::TextChanged, 0);
}

void onActivate(GtkEntry*, gpointer data)
{
    tell(*static_cast<Control*>(data), epiControlEvent::Activated, 0);
}

void onValue(GtkAdjustment* adjustment, gpointer data)
{
    tell(*static_cast<Control*>(data), epiControlEvent::ValueChanged,
         static_cast<int32_t>(gtk_adjustment_get_value(adjustment)));
}

void onSelection(GtkComboBox* combo, gpointer data)
{
    tell(*static_cast<Control*>(data), epiControlEvent::SelectionChanged, gtk_combo_box_get_active(combo));
}

gboolean onFocusIn(GtkWidget*, GdkEvent*, gpointer data)
{
    tell(*static_cast<Control*>(data), epiControlEvent::FocusIn, 0);
    return FALSE;
}

gboolean onFocusOut(GtkWidget*, GdkEvent*, gpointer data)
{
    tell(*static_cast<Control*>(data), epiControlEvent::FocusOut, 0);
    return FALSE;
}

// Typed or pasted text goes through the listener's filter; a changed text is inserted instead.
void onInsertText(GtkEditable* editable, const gchar* text, gint length, gint* position, gpointer data)
{
    auto* record = static_cast<Control*>(data);
    if (record->silent > 0 || !record->desc.listener)
        return;
    std::string inserted(text, length < 0 ? strlen(text) : static_cast<size_t>(length));
    std::string original = inserted;
    gchar* current = gtk_editable_get_chars(editable, 0, -1);
    // Positions are in characters for GTK; the listener gets a byte offset.
    const gchar* at = g_utf8_offset_to_pointer(current, *position);
    int byteOffset = static_cast<int>(at - current);
    record->desc.listener->controlFilterText(record->handle, current, byteOffset, inserted);
    g_free(current);
    if (inserted == original)
        return;
    g_signal_stop_emission_by_name(editable, "insert-text");
    if (inserted.empty())
        return;
    g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(onInsertText), data);
    gtk_editable_insert_text(editable, inserted.c_str(), static_cast<gint>(inserted.size()), position);
    g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(onInsertText), data);
}

} // namespace

void epiGtkConnectControlSignals(Control& record)
{
    GtkWidget* inner = record.inner;
    switch (record.desc.kind) {
    case epiControlKind::Button:
        g_signal_connect(inner, "clicked", G_CALLBACK(onClicked), &record);
        break;
    case epiControlKind::CheckBox:
    case epiControlKind::RadioButton:
        g_signal_connect(inner, "toggled", G_CALLBACK(onToggled), &record);
        break;
    case epiControlKind::EditField:
        g_signal_connect(inner, "changed", G_CALLBACK(onChanged), &record);
        g_signal_connect(inner, "activate", G_CALLBACK(onActivate), &record);
        g_signal_connect(inner, "insert-text", G_CALLBACK(onInsertText), &record);
        break;
    case epiControlKind::ScrollBar:
        g_signal_connect(record.adjustment, "value-changed", G_CALLBACK(onValue), &record);
        break;
    case epiControlKind::PopupList:
        g_signal_connect(inner, "changed", G_CALLBACK(onSelection), &record);
        break;
    default:
        break;
    }
    g_signal_connect(inner, "focus-in-event", G_CALLBACK(onFocusIn), &record);
    g_signal_connect(inner, "focus-out-event", G_CALLBACK(onFocusOut), &record);
}

void epiGtkDisconnectControlSignals(Control& record)
{
    g_signal_handlers_disconnect_by_data(record.inner, &record);
    if (record.adjustment)
        g_signal_handlers_disconnect_by_data(record.adjustment, &record);
}

GtkWidget* epiGtkWindowSystem::controlParent(const Window& record, const epiControlDesc& desc) const
{
    if (Control* parent = findControl(desc.parent); parent && parent->children)
        return parent->children;
    return record.fixed;
}

epiControlHandle epiGtkWindowSystem::createControl(epiWindowHandle window, const epiControlDesc& desc)
{
    Window* owner = findWindow(window);
    if (!owner)
        return 0;
    auto record = std::make_unique<Control>();
    record->system = this;
    record->handle = newHandle();
    record->window = window;
    record->desc = desc;
    GtkWidget* widget = nullptr;
    switch (desc.kind) {
    case epiControlKind::Button:
        widget = gtk_button_new_with_label(desc.text.c_str());
        break;
    case epiControlKind::CheckBox:
        widget = gtk_check_button_new_with_label(desc.text.c_str());
        break;
    case epiControlKind::RadioButton: {
        Control* group = findControl(desc.radioGroup);
        widget = group && GTK_IS_RADIO_BUTTON(group->inner)
                     ? gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(group->inner), desc.text.c_str())
                     : gtk_radio_button_new_with_label(nullptr, desc.text.c_str());
        break;
    }
    case epiControlKind::StaticText:
        widget = gtk_label_new(desc.text.c_str());
        gtk_label_set_xalign(GTK_LABEL(widget), 0);
        gtk_label_set_line_wrap(GTK_LABEL(widget), TRUE);
        break;
    case epiControlKind::ScrollText: {
        GtkWidget* view = gtk_text_view_new();
        gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
        gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
        // The text keeps a little room from the box's edges.
        gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 6);
        gtk_text_view_set_right_margin(GTK_TEXT_VIEW(view), 6);
        gtk_text_view_set_top_margin(GTK_TEXT_VIEW(view), 4);
        gtk_text_view_set_bottom_margin(GTK_TEXT_VIEW(view), 4);
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), desc.text.c_str(), -1);
        widget = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_container_add(GTK_CONTAINER(widget), view);
        record->inner = view;
        break;
    }
    case epiControlKind::EditField:
        widget = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(widget), desc.text.c_str());
        gtk_entry_set_visibility(GTK_ENTRY(widget), !desc.password);
        gtk_editable_set_editable(GTK_EDITABLE(widget), !desc.readOnly);
        gtk_entry_set_width_chars(GTK_ENTRY(widget), 1);
        break;
    case epiControlKind::ScrollBar:
        record->adjustment = gtk_adjustment_new(0, 0, 100, 1, 10, 10);
        widget = gtk_scrollbar_new(desc.vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL,
                                   record->adjustment);
        break;
    case epiControlKind::ProgressBar:
        widget = gtk_progress_bar_new();
        break;
    case epiControlKind::PopupList:
        widget = gtk_combo_box_text_new();
        for (const std::string& item : splitItems(desc.text))
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(widget), item.c_str());
        break;
    case epiControlKind::Container:
        widget = gtk_fixed_new();
        record->children = widget;
        break;
    }
    record->widget = widget;
    if (!record->inner)
        record->inner = widget;
    gtk_widget_set_size_request(widget, std::max(1, desc.frame.width()), std::max(1, desc.frame.height()));
    gtk_fixed_put(GTK_FIXED(controlParent(*owner, desc)), widget, desc.frame.left, desc.frame.top);
    epiGtkConnectControlSignals(*record);
    gtk_widget_show_all(widget);
    epiControlHandle handle = record->handle;
    m_controls[handle] = std::move(record);
    return handle;
}

void epiGtkWindowSystem::destroyControl(epiControlHandle control)
{
    auto found = m_controls.find(control);
    if (found == m_controls.end())
        return;
    std::unique_ptr<Control> record = std::move(found->second);
    m_controls.erase(found);
    record->desc.listener = nullptr;
    epiGtkDisconnectControlSignals(*record);
    gtk_widget_destroy(record->widget);
}

void epiGtkWindowSystem::moveControl(epiControlHandle control, const epiRect& frame)
{
    Control* record = findControl(control);
    Window* owner = record ? findWindow(record->window) : nullptr;
    if (!owner)
        return;
    record->desc.frame = frame;
    gtk_widget_set_size_request(record->widget, std::max(1, frame.width()), std::max(1, frame.height()));
    gtk_fixed_move(GTK_FIXED(gtk_widget_get_parent(record->widget)), record->widget, frame.left, frame.top);
}

void epiGtkWindowSystem::showControl(epiControlHandle control, bool visible)
{
    if (Control* record = findControl(control))
        gtk_widget_set_visible(record->widget, visible);
}

void epiGtkWindowSystem::enableControl(epiControlHandle control, bool enabled)
{
    if (Control* record = findControl(control))
        gtk_widget_set_sensitive(record->widget, enabled);
}

void epiGtkWindowSystem::setControlText(epiControlHandle control, const std::string& text)
{
    Control* record = findControl(control);
    if (!record)
        return;
    ++record->silent;
    GtkWidget* inner = record->inner;
    switch (record->desc.kind) {
    case epiControlKind::Button:
    case epiControlKind::CheckBox:
    case epiControlKind::RadioButton:
        gtk_button_set_label(GTK_BUTTON(inner), text.c_str());
        break;
    case epiControlKind::StaticText:
        gtk_label_set_text(GTK_LABEL(inner), text.c_str());
        break;
    case epiControlKind::ScrollText:
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(inner)), text.c_str(), -1);
        break;
    case epiControlKind::EditField:
        gtk_entry_set_text(GTK_ENTRY(inner), text.c_str());
        break;
    case epiControlKind::PopupList:
        setControlItems(control, splitItems(text));
        break;
    default:
        break;
    }
    --record->silent;
}

std::string epiGtkWindowSystem::controlText(epiControlHandle control) const
{
    Control* record = findControl(control);
    if (!record)
        return {};
    GtkWidget* inner = record->inner;
    switch (record->desc.kind) {
    case epiControlKind::Button:
    case epiControlKind::CheckBox:
    case epiControlKind::RadioButton:
        return gtk_button_get_label(GTK_BUTTON(inner)) ? gtk_button_get_label(GTK_BUTTON(inner)) : "";
    case epiControlKind::StaticText:
        return gtk_label_get_text(GTK_LABEL(inner));
    case epiControlKind::ScrollText: {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(inner));
        GtkTextIter start, end;
        gtk_text_buffer_get_bounds(buffer, &start, &end);
        gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
        std::string value = text ? text : "";
        g_free(text);
        return value;
    }
    case epiControlKind::EditField:
        return gtk_entry_get_text(GTK_ENTRY(inner));
    case epiControlKind::PopupList: {
        gchar* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(inner));
        std::string value = text ? text : "";
        g_free(text);
        return value;
    }
    default:
        return {};
    }
}

void epiGtkWindowSystem::setControlValue(epiControlHandle control, int32_t value)
{
    Control* record = findControl(control);
    if (!record)
        return;
    ++record->silent;
    switch (record->desc.kind) {
    case epiControlKind::CheckBox:
    case epiControlKind::RadioButton:
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(record->inner), value != 0);
        break;
    case epiControlKind::ScrollBar:
        gtk_adjustment_set_value(record->adjustment, value);
        break;
    case epiControlKind::ProgressBar:
        record->progress = std::clamp(value, 0, 1000);
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(record->inner), record->progress / 1000.0);
        break;
    case epiControlKind::PopupList:
        gtk_combo_box_set_active(GTK_COMBO_BOX(record->inner), value);
        break;
    default:
        break;
    }
    --record->silent;
}

int32_t epiGtkWindowSystem::controlValue(epiControlHandle control) const
{
    Control* record = findControl(control);
    if (!record)
        return 0;
    switch (record->desc.kind) {
    case epiControlKind::CheckBox:
    case epiControlKind::RadioButton:
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(record->inner)) ? 1 : 0;
    case epiControlKind::ScrollBar:
        return static_cast<int32_t>(gtk_adjustment_get_value(record->adjustment));
    case epiControlKind::ProgressBar:
        return record->progress;
    case epiControlKind::PopupList:
        return gtk_combo_box_get_active(GTK_COMBO_BOX(record->inner));
    default:
        return 0;
    }
}

void epiGtkWindowSystem::setControlRange(epiControlHandle control, int32_t minimum, int32_t maximum, int32_t page)
{
    Control* record = findControl(control);
    if (!record || !record->adjustment)
        return;
    ++record->silent;
    double value = std::clamp<double>(gtk_adjustment_get_value(record->adjustment), minimum,
                                      std::max(minimum, maximum - page));
    gtk_adjustment_configure(record->adjustment, value, minimum, maximum, 1, std::max(1, page), std::max(0, page));
    --record->silent;
}

void epiGtkWindowSystem::setControlItems(epiControlHandle control, const std::vector<std::string>& items)
{
    Control* record = findControl(control);
    if (!record || record->desc.kind != epiControlKind::PopupList)
        return;
    ++record->silent;
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(record->inner));
    for (const std::string& item : items)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(record->inner), item.c_str());
    --record->silent;
}

void epiGtkWindowSystem::focusControl(epiControlHandle control)
{
    if (Control* record = findControl(control))
        gtk_widget_grab_focus(record->inner);
}

epiControlHandle epiGtkWindowSystem::focusedControl(epiWindowHandle window) const
{
    Window* record = findWindow(window);
    if (!record)
        return 0;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(record->window));
    Control* control = focus ? controlOfWidget(focus) : nullptr;
    return control ? control->handle : 0;
}

void epiGtkWindowSystem::selectControlText(epiControlHandle control)
{
    Control* record = findControl(control);
    if (record && record->desc.kind == epiControlKind::EditField)
        gtk_editable_select_region(GTK_EDITABLE(record->inner), 0, -1);
}
