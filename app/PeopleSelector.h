#pragma once

#include "app/AccountWindows.h"
#include "ui/epiUiScrollHelper.h"

#include <functional>
#include <string>
#include <vector>

namespace ZumeliApplication {

// One person the selector shows.
struct PeopleElem {
    int id = 0;
    bool online = false;   // in the current channel now
    bool selected = false; // in the list being edited, later: ticked
    std::string name;
    std::string extra;
};

// The selector's people, in the order of its rows.
class PeopleList {
public:
    // Fills in the name and the further text of a person not met before.
    using Describe = std::function<void(int id, std::string& name, std::string& extra)>;

    // A new id becomes an entry with these flags; an id already there only gains them.
    void add(int id, bool online, bool selected, const Describe& describe);
    // Neighbours compared without letter case, swapped and stepped back over: equal names keep
    // their order.
    void sortByName();
    std::vector<PeopleElem> entries;
};

// 'peos': ticks the people of one administration list. It shows everyone the administration
// window knows, who is online and who is listed, and writes the ticked ones back into the list,
// up to a limit.
class PeopleSelector : public AccountWindow
{
public:
    static constexpr const char* LimitMessage = "]You can select only 5 people.[";

    // `edited` belongs to `owner`, which closes the selector before it goes; limit 0: no limit.
    void setup(const std::vector<int>& present, const std::vector<int>& known, std::vector<int>* edited,
               epiWindow* owner, int limit);
    bool handleCommand(epiCode code) override;
    // The owner is going: nothing may be written into its list any more.
    void forgetOwner(const epiWindow* owner);

    const PeopleList& people() const { return m_people; }
    int rowCount() const { return m_rows.itemCount(); }
    epiUbo* rowItem(int row, const char* code) const;

protected:
    void opened() override;

private:
    void fillRows();
    void apply();

    epiUiScrollHelper m_rows;
    bool m_rowsReady = false;
    PeopleList m_people;
    std::vector<int>* m_edited = nullptr;
    epiWindow* m_owner = nullptr;
    int m_limit = 0;
};

} // namespace ZumeliApplication
