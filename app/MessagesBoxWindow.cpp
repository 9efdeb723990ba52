#include "app/MessagesBoxWindow.h"

#include "data/PictureIndex.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "ui/epiApplication.h"
#include "ui/epiUiBitmapImage.h"
#include "ui/epiUiScrollHelper.h"
#include "ui/epiWindowManager.h"

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

constexpr const char* RowControls[] = {"hime", "bell", "mesg", "balo"};

void setItemText(epiUbo* part, const char* code, const std::string& text)
{
    if (epiUbo* widget = part->findChild(fourCC(code))) {
        widget->setText(epiText(text.c_str()));
        widget->invalidate();
    }
}

void setItemColour(epiUbo* part, const char* code, const char* colour)
{
    if (epiUbo* widget = part->findChild(fourCC(code))) {
        widget->setAttributeText(fourCC("teCl"), epiText(colour));
        widget->invalidate();
    }
}

bool beginsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

// The marked texts a row's layout gives its buttons, as the user reads them.
void translateRow(epiUbo* root, const std::function<std::string(const char*)>& translate)
{
    for (int i = 0; i < root->childCount(); ++i) {
        epiUbo* child = root->childAt(i);
        if (std::string(child->text().c_str()).find(']') != std::string::npos)
            child->setText(epiText(translate(child->text().c_str()).c_str()));
        translateRow(child, translate);
    }
}

} // namespace

// ----- links -----

bool MessagesBoxPane::isLink(const std::string& text)
{
    return beginsWith(text, "http://") || beginsWith(text, "https://") || beginsWith(text, "www.");
}

std::string MessagesBoxPane::linkAddress(const std::string& text)
{
    std::string address = text.substr(0, text.find(','));
    if (!beginsWith(address, "http"))
        address = "http://" + address;
    return address;
}

// ----- the pane -----

MessagesBoxPane::~MessagesBoxPane()
{
    cancelAllTimers();
    // The row icons belong to the cache: the rows let them go first.
    m_rows.reset();
}

bool MessagesBoxPane::start(Zumeli::IClient* client)
{
    m_client = client;
    m_icons = std::make_unique<IconsCache>(Zumeli::Manager::instance().documents);
    m_rows = std::make_unique<epiUiScrollHelper>();
    if (!m_rows->setUp(this, fourCC("list"), 0, fourCC("scro"), false)) {
        m_rows.reset();
        return false;
    }
    return true;
}

std::string MessagesBoxPane::nameOf(int userId) const
{
    Zumeli::Text name;
    if (m_client && m_client->getUserName(userId, name))
        return name.c_str();
    Zumeli::PeopleEntry person;
    if (m_client && m_client->getUserRecord(userId, person))
        return person.name.c_str();
    return "?";
}

bool MessagesBoxPane::partyOf(int index, int& id, bool& group) const
{
    Zumeli::UserMessageData message;
    if (!m_client || !m_client->getMessage(index, message))
        return false;
    group = false;
    if (message.sender != m_client->getOwnUserId()) {
        id = message.sender;
    } else if (message.groupId != -1) {
        id = message.groupId;
        group = true;
    } else {
        id = message.recipient;
    }
    return true;
}

epiUbo* MessagesBoxPane::shownPart(int index) const
{
    epiUbo* row = m_rows ? m_rows->item(index) : nullptr;
    if (!row)
        return nullptr;
    epiUbo* to = row->findChild(fourCC("meto"));
    return to && to->isVisible() ? to : row->findChild(fourCC("mefr"));
}

void MessagesBoxPane::rebuild()
{
    if (!m_rows || !m_client)
        return;
    int count = m_client->getMessageCount();
    int own = m_client->getOwnUserId();
    m_rows->setItemCount(0);
    m_rows->setItemCount(count);
    for (int i = 0; i < count; ++i) {
        epiUbo* row = m_rows->item(i);
        Zumeli::UserMessageData message;
        if (!row || !m_client->getMessage(i, message))
            continue;
        if (m_translate)
            translateRow(row, m_translate);
        epiUbo* to = row->findChild(fourCC("meto"));
        epiUbo* from = row->findChild(fourCC("mefr"));
        bool sent = message.sender == own;
        if (to)
            to->setVisible(sent);
        if (from)
            from->setVisible(!sent);
        epiUbo* part = sent ? to : from;
        if (!part)
            continue;
        std::string party;
        if (sent && message.groupId != -1) {
            Zumeli::Text group;
            m_client->getGroupName(message.groupId, group);
            party = tr("]To [") + group.c_str();
        } else if (sent) {
            party = tr("]To [") + nameOf(message.recipient);
        } else {
            party = tr("]From [") + nameOf(message.sender);
        }
        setItemText(part, "user", party);
        setItemText(part, "mess", message.text.c_str());
        setItemText(part, "time", message.text2.c_str());
        setItemColour(part, "user", message.read ? ReadColour : UnreadColour);
        setItemColour(part, "mess", isLink(message.text.c_str()) ? LinkColour : ReadColour);
        auto* icon = dynamic_cast<epiUiBitmapImage*>(part->findChild(fourCC("usic")));
        Zumeli::PeopleEntry person;
        epiBitmap* bitmap = m_client->getUserRecord(message.sender, person) && person.its > 0
                                ? m_icons->icon(Zumeli::PictureIndex::UserPicture, message.sender, person.its)
                                : nullptr;
        if (icon) {
            if (bitmap)
                icon->setFace(0, bitmap);
            icon->setVisible(bitmap != nullptr);
        }
        for (const char* control : RowControls)
            if (epiUbo* widget = part->findChild(fourCC(control)))
                widget->addObserver(this, fourCC("iHit"));
    }
    // The newest message in view, and ages kept current.
    m_rows->scrollTo(0, m_rows->content() ? m_rows->content()->frame().height() : 0);
    cancelAllTimers();
    startTimer(AgeRefreshSeconds);
}

void MessagesBoxPane::refreshAges()
{
    if (!m_rows || !m_client)
        return;
    for (int i = 0; i < m_rows->itemCount(); ++i) {
        Zumeli::UserMessageData message;
        epiUbo* part = shownPart(i);
        if (part && m_client->getMessage(i, message))
            setItemText(part, "time", message.text2.c_str());
    }
}

void MessagesBoxPane::timerFired() { refreshAges(); }

void MessagesBoxPane::markRead(int index)
{
    receiveCommand(fourCC("dosl"), index, 0);
    if (epiUbo* part = shownPart(index))
        setItemColour(part, "user", ReadColour);
}

void MessagesBoxPane::openLink(int index)
{
    Zumeli::UserMessageData message;
    if (!m_client || !m_client->getMessage(index, message))
        return;
    std::string text = message.text.c_str();
    // A text that is no link opens nothing.
    if (!isLink(text))
        return;
    m_address = linkAddress(text);
    epiWindowManager* manager = application() ? application()->windowManager() : nullptr;
    epiWindow* main = manager ? manager->findWindow(fourCC("main")) : nullptr;
    if (epiUbo* panel = main ? main->findChild(fourCC("pane")) : nullptr)
        panel->receiveCommand(fourCC("brow"), reinterpret_cast<intptr_t>(m_address.c_str()), 0);
}

void MessagesBoxPane::rowCommand(epiCode code, int index)
{
    markRead(index);
    switch (code) {
    case epiFourCC("bell"):
    case epiFourCC("mesg"): receiveCommand(code, index, 0); break;
    case epiFourCC("balo"): openLink(index); break;
    default: break;
    }
}

bool MessagesBoxPane::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    switch (code) {
    case epiFourCC("refr"): rebuild(); return true;
    case epiFourCC("dosl"):
        if (m_client)
            m_client->markMessageRead(int(value));
        return true;
    case epiFourCC("bell"):
    case epiFourCC("mesg"): {
        Zumeli::UserMessageData message;
        if (!m_client || !m_client->getMessage(int(value), message))
            return true;
        epiWindowManager* manager = application() ? application()->windowManager() : nullptr;
        epiWindow* main = manager ? manager->findWindow(fourCC("main")) : nullptr;
        if (epiUbo* panel = main ? main->findChild(fourCC("pane")) : nullptr)
            panel->receiveCommand(code, message.sender, 0);
        return true;
    }
    default: return epiUiContainer::receiveCommand(code, value, extra);
    }
}

void MessagesBoxPane::notified(epiCode code, epiUbo* sender, intptr_t value)
{
    if (code == fourCC("iHit") && m_rows && sender->parent()) {
        epiUbo* row = sender->parent()->parent();
        for (int i = 0; i < m_rows->itemCount(); ++i)
            if (row == m_rows->item(i)) {
                m_rows->select(i);
                rowCommand(sender->code(), i);
                return;
            }
    }
    epiUiContainer::notified(code, sender, value);
}

// ----- the window -----

void MessagesBoxWindow::create()
{
    setAttribute(fourCC("Mini"), 0);
    setAttribute(fourCC("Zoma"), 0);
    SideWindow::create();
}

MessagesBoxPane* MessagesBoxWindow::pane() const
{
    return dynamic_cast<MessagesBoxPane*>(findChild(fourCC("pane")));
}

void MessagesBoxWindow::opened()
{
    if (MessagesBoxPane* box = pane(); box && box->start(engine())) {
        box->setTranslator([this](const char* marked) { return tr(marked); });
        box->receiveCommand(fourCC("refr"), 0, 0);
    }
    showRecipient();
}

bool MessagesBoxWindow::recipient(int& id, bool& group) const
{
    MessagesBoxPane* box = pane();
    if (!box || !box->rows())
        return false;
    int index = box->rows()->selected();
    if (index < 0)
        index = box->rows()->itemCount() - 1;
    return index >= 0 && box->partyOf(index, id, group);
}

void MessagesBoxWindow::showRecipient()
{
    int id = 0;
    bool group = false;
    Zumeli::Client* client = engine();
    std::string line;
    if (client && recipient(id, group)) {
        Zumeli::Text name;
        if (group)
            client->getGroupName(id, name);
        else if (!client->getUserName(id, name))
            name = "?";
        line = tr("]To [") + name.c_str();
    }
    setFieldText("whom", line);
    setEnabled("Send", !line.empty());
    setEnabled("edit", !line.empty());
}

void MessagesBoxWindow::send()
{
    Zumeli::Client* client = engine();
    std::string text = fieldText("edit");
    int id = 0;
    bool group = false;
    if (!client || text.empty() || !recipient(id, group))
        return;
    bool queued = group ? client->sendMessageToGroup(Zumeli::Text(text.c_str()), id)
                        : client->sendMessageToUser(Zumeli::Text(text.c_str()), id);
    if (queued)
        setFieldText("edit", "");
}

bool MessagesBoxWindow::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    if (code == fourCC("refr")) {
        if (MessagesBoxPane* box = pane())
            box->receiveCommand(code, value, extra);
        showRecipient();
        return true;
    }
    return SideWindow::receiveCommand(code, value, extra);
}

bool MessagesBoxWindow::handleCommand(epiCode code)
{
    switch (code) {
    case epiFourCC("Send"): send(); return true;
    case epiFourCC("Done"): close(); return true;
    case epiFourCC("pane"): showRecipient(); return false; // a row was chosen: its party is written to
    default: return SideWindow::handleCommand(code);
    }
}

} // namespace ZumeliApplication
