"""The settings, people, channel details, about, profile and photo windows."""
from common import *

def head(name, t, x, y, w=300):
    """A section title in the panel's amber lettering."""
    return item("iBst", name, t, x, y, w, 16, teFo="sb12", teCl=AMBER)
def popup(name, x, y, w, h=28):
    return item("iSpu", name, "", x, y, w, h)
def check(name, t, x, y, w, h=24):
    return item("iSck", name, t, x, y, w, h)
def picture(name, x, y, w, h):
    return item("iBpv", name, "", x, y, w, h)
def empty_picture(x, y, w, h, text_name):
    """What an empty picture place shows: a drawn camera and a line under it."""
    return [item("iBim", "plch", "", x + (w - 96) // 2, y + (h - 72) // 2 - 8, 96, 72, irOf="picture_placeholder.png"),
            item("iBst", text_name, "", x + 4, y + (h + 72) // 2 - 2, w - 8, 14, teFo="sr12", teCl=DIMAMBER, txAl=1)]
def dialog(code, file_name, title, w, h, items, x=200, y=140):
    write(file_name, doc(code, title, w, h, [back(w, h)] + items, x, y, Zoma=0, RszX=0, RszY=0, aupo=1))

dialog("setp", "setup.xml", "]Settings[", 560, 528, [
    head("hSnd", "]SOUND[", 20, 16),
    text("lIn", "]Microphone[", 20, 49, 130), popup("auIn", 160, 42, 380),
    text("lOu", "]Speaker[", 20, 85, 130), popup("auOu", 160, 78, 380),
    text("auNo", "", 160, 110, 380),
    button("opTs", "]Audio test...[", 160, 134, 185, 28), button("opAt", "]Auto talk...[", 355, 134, 185, 28),
    head("hKey", "]TALK KEY[", 20, 180),
    text("lHk", "]Key[", 20, 213, 130), popup("hotk", 160, 206, 110),
    text("hotN", "", 285, 200, 255, 40),
    head("hSwi", "]SWITCHES[", 20, 254),
    check("cbso", "]Tones when a talk starts and ends[", 20, 278, 520),
    check("mrfd", "]A sound when a message arrives[", 20, 304, 520),
    check("thru", "]Hear my own voice while I talk[", 20, 330, 520),
    check("flsh", "]Drop what arrives while I talk[", 20, 356, 520),
    check("noup", "]Do not follow who comes and goes[", 20, 382, 520),
    head("hLan", "]LANGUAGE[", 20, 420),
    text("lLa", "]Texts in[", 20, 451, 130), popup("lang", 160, 444, 220),
    button("Canc", "]Cancel[", 330, 484, 100), button("Okay", "]Apply[", 440, 484, 100, defa=1),
])

dialog("peLi", "people.xml", "]People and groups[", 600, 444, [
    head("hPeo", "]PEOPLE[", 20, 16),
    text("lSh", "]Show[", 20, 51, 60), popup("grup", 80, 44, 240), text("coun", "", 20, 80, 300),
    item("iSrt", "list", "", 20, 102, 300, 236),
    text("lPe", "]Person[", 20, 357, 60), popup("pers", 80, 350, 240),
    button("mesg", "]Message...[", 340, 44, 115), button("bell", "]Invite...[", 465, 44, 115),
    head("hDes", "]TO ANOTHER GROUP[", 340, 96, 240),
    popup("dest", 340, 118, 240),
    button("addt", "]Add[", 340, 152, 115), button("move", "]Move[", 465, 152, 115),
    button("remv", "]Remove from this group[", 340, 188, 240),
    head("hGro", "]GROUPS[", 340, 240, 240),
    field("iSet", "gnam", 340, 262, 240),
    button("newg", "]New group[", 340, 296, 115), button("rena", "]Rename[", 465, 296, 115),
    button("delg", "]Delete this group[", 340, 332, 240),
    text("stts", "", 20, 400, 310), button("uabu", "]Report abuse...[", 340, 396, 130),
    button("Done", "]Close[", 480, 396, 100, defa=1),
])

dialog("chDe", "channeldetails.xml", "]Channel details[", 560, 386, [
    picture("pict", 20, 20, 200, 150), *empty_picture(20, 20, 200, 150, "noPi"),
    item("iBst", "numb", "", 240, 20, 300, 22, teFo="sb18", teCl=AMBER),
    item("iSst", "name", "", 240, 46, 300, 24, teSi=13, teBo=1),
    item("iSrt", "desc", "", 240, 76, 300, 56), item("iSrt", "dedk", "", 240, 140, 300, 94),
    head("hAdm", "]ADMINISTRATOR[", 20, 190, 200), text("admn", "", 20, 212, 200, 40),
    head("hWeb", "]WEB PAGE[", 20, 262), button("webA", "", 20, 284, 520, 30),
    button("Done", "]Close[", 440, 338, 100, defa=1),
])

dialog("abou", "about.xml", "]About Zumeli[", 440, 300, [
    item("iBim", "icon", "", 20, 22, 64, 64, irOf="zumeli_icon.png"),
    item("iBst", "name", "ZUMELI", 100, 26, 300, 24, teFo="sb18", teCl=AMBER),
    text("vers", "", 100, 56, 300),
    text("tagl", "]Push-to-talk walkie-talkie for the Linux desktop[", 20, 104, 400),
    text("lice", "]The Zumeli developers have not yet published Zumeli under a licence.[", 20, 134, 400, 40),
    text("serv", "", 20, 186, 400, 44),
    button("Done", "]Close[", 320, 252, 100, defa=1),
])

dialog("uspr", "profile.xml", "]My profile[", 600, 352, [
    picture("myPh", 20, 20, 160, 160), *empty_picture(20, 20, 160, 160, "noPh"),
    button("Cpho", "]Choose a photo...[", 20, 190, 160, 28),
    text("lNa", "]Name[", 200, 29, 130), item("iSst", "unam", "", 340, 27, 240, 24, teSi=13, teBo=1),
    text("lMa", "]Mail address[", 200, 65, 130), field("iSet", "emai", 340, 58, 162),
    button("Smai", "]Save[", 508, 57, 72, 28),
    check("nodi", "]Do not disturb[", 340, 96, 240),
    text("lTm", "]Messages from[", 200, 141, 130), popup("tmsm", 340, 134, 240),
    text("lGp", "]My position[", 200, 177, 130), popup("gpsm", 340, 170, 240),
    text("lIm", "]Pictures[", 200, 213, 130), popup("imgm", 340, 206, 240),
    text("stts", "", 200, 250, 380, 40),
    button("Done", "]Close[", 480, 306, 100, defa=1),
])

dialog("phot", "photo.xml", "]Photo of the channel[", 520, 470, [
    item("iBst", "titl", "", 20, 14, 480, 16, teFo="sb12", teCl=AMBER),
    picture("pict", 20, 38, 480, 340), *empty_picture(20, 38, 480, 340, "noPh"),
    text("stts", "", 20, 388, 480),
    button("Send", "]Share a photo...[", 20, 422, 180), button("Done", "]Close[", 400, 422, 100, defa=1),
])
