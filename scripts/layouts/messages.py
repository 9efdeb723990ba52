"""The talk history, the favourite channels, the message box, the service message and the windows
that write a message, an invitation or an abuse report; with the drawings of their rows."""
import os
from common import *

IMAGES = os.path.join(RESOURCES, "images")

def drawing(name, w, h, body, defs=""):
    with open(os.path.join(IMAGES, name + ".svg"), "w") as f:
        f.write(f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}">\n'
                f'<defs>{defs}</defs>\n{body}\n</svg>\n')

# A dark well the rows sit in, a thumb for the list bars, row faces and the message bubbles.
drawing("list_back", 16, 16, '<rect width="16" height="16" fill="#15171b"/>')
drawing("row_line", 16, 1, '<rect width="16" height="1" fill="#262a30"/>')
drawing("chan_row_off", 380, 48, '<rect x="1" y="1" width="378" height="46" rx="4" fill="url(#g)" stroke="#0b0c0e"/>',
        '<linearGradient id="g" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#2c3037"/><stop offset="1" stop-color="#1f2227"/></linearGradient>')
drawing("chan_row_pressed", 380, 48, '<rect x="1" y="1" width="378" height="46" rx="4" fill="#191b1f" stroke="#0b0c0e"/>')
drawing("chan_row_on", 380, 48, '<rect x="1" y="1" width="378" height="46" rx="4" fill="url(#g)" stroke="#ffb13d" stroke-width="1.5"/>'
        '<rect x="6" y="8" width="3" height="32" rx="1.5" fill="#ffb13d"/>',
        '<linearGradient id="g" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#3b3222"/><stop offset="1" stop-color="#261f14"/></linearGradient>')
drawing("bubble_from", 400, 68, '<rect x="0.5" y="0.5" width="399" height="67" rx="9" fill="#e8ecf1" stroke="#9aa3b0"/>')
drawing("bubble_to", 400, 68, '<rect x="0.5" y="0.5" width="399" height="67" rx="9" fill="#f7e6c4" stroke="#b89a62"/>')

def well(name, x, y, w, h, **a):
    return item("iBim", name, "", x, y, w, h, irOf="list_back.png", **a)
def bar(x, y, h, **a):
    return item("iSsc", "scro", "", x, y, 12, h, **a)
def label(name, t, x, y, w, h=16, font="sr12", colour=AMBER, **a):
    return item("iBst", name, t, x, y, w, h, teFo=font, teCl=colour, **a)
def small_key(name, t, x, y, w=70, h=20):
    return item("iBwt", name, t, x, y, w, h, irOf="key_small_off.png", ipOf="key_small_pressed.png",
                teFo="sr09", tCof=KEYTEXT, tCon=KEYTEXT, txAl=1, teOy=3)
# Anchors: the top-left corner to the window's top-left (1), the bottom-right to its bottom-right (3).
GROW = dict(mgTL=1, mgBR=3)

# ----- the talk history -----
row = [label("star", "", 6, 4, 70), label("dura", "", 80, 4, 60),
       label("name", "", 146, 4, 150, font="sb12", colour="235,226,210"),
       label("qual", "", 300, 4, 56, font="sr09", colour=DIMAMBER),
       label("opco", "", 358, 4, 58, font="sr09", colour=DIMAMBER),
       item("iBim", "line", "", 0, 21, 420, 1, irOf="row_line.png")]
write("talkrow.xml", doc("tarw", "", 420, 22, row))
pane = [well("well", 12, 34, 420, 296, **GROW),
        label("hsta", "]Started[", 18, 14, 70, font="sb12"), label("hdur", "]Length[", 92, 14, 60, font="sb12"),
        label("hnam", "]Talker[", 158, 14, 150, font="sb12"),
        item("iCon", "list", "", 12, 36, 420, 292, chil="talkrow.xml", **GROW),
        bar(438, 34, 296, mgTL=2, mgBR=3)]
write("talkpane.xml", doc("tapn", "", 460, 342, pane))

write("talkhistory.xml", doc("tahi", "]Talk history[", 460, 342,
    [item("iBim", "back", "", 0, 0, 460, 342, irOf="dialog_back.png", **GROW),
     item("iCon", "pane", "", 0, 0, 460, 342, chil="talkpane.xml", **GROW)], 700, 80, aupo=1, Zoma=0))

# ----- the favourite channels -----
row = [item("iBbt", "acch", "", 0, 0, 380, 48, irOf="chan_row_off.png", ipOf="chan_row_pressed.png",
            irOn="chan_row_on.png", ipOn="chan_row_pressed.png"),
       item("iBim", "usic", "", 14, 8, 32, 32),
       label("numb", "", 54, 7, 60, font="sb12"),
       label("name", "", 118, 7, 250, font="sb12", colour="235,226,210"),
       label("desc", "", 54, 27, 316, font="sr12", colour=DIMAMBER)]
write("channelrow.xml", doc("chrw", "", 380, 50, row))
pane = [label("head", "]Your favourite channels: click one to tune to it.[", 14, 12, 380, font="sr12"),
        well("well", 12, 34, 392, 316, **GROW),
        item("iCon", "list", "", 18, 38, 380, 308, chil="channelrow.xml", **GROW),
        bar(410, 34, 316, mgTL=2, mgBR=3)]
write("channelspane.xml", doc("chpn", "", 436, 362, pane))
# The pane is a ChannelsPane ('zChP').
write("channels.xml", doc("chLi", "]Favourite channels[", 436, 362,
    [item("iBim", "back", "", 0, 0, 436, 362, irOf="dialog_back.png", **GROW),
     item("zChP", "pane", "", 0, 0, 436, 362, chil="channelspane.xml", **GROW)], 660, 120, aupo=1, Zoma=0))

# ----- the message box -----
def part(code, visible, bubble_x, icon_x, text_x, replies):
    items = [item("iBbt", "hime", "", bubble_x, 2, 400, 68, irOf=f"bubble_{'from' if replies else 'to'}.png"),
             item("iBim", "usic", "", icon_x, 8, 32, 32),
             label("user", "", text_x, 8, 230, font="sb12", colour="0,0,0"),
             label("time", "", text_x + 236, 9, 140, font="sr09", colour="90,96,104", txAl=2),
             label("mess", "", text_x, 27, 376, font="sr12", colour="0,0,0"),
             item("iBbt", "balo", "", text_x, 25, 376, 20)]
    if replies:
        items += [small_key("mesg", "]Reply[", text_x + 230, 47), small_key("bell", "]Invite[", text_x + 306, 47)]
    return items

write("messagefrom.xml", doc("mfpt", "", 460, 72, part("mefr", True, 48, 6, 62, True)))
write("messageto.xml", doc("mtpt", "", 460, 72, part("meto", False, 12, 420, 24, False)))
row = [item("iCon", "mefr", "", 0, 0, 460, 72, chil="messagefrom.xml"),
       item("iCon", "meto", "", 0, 0, 460, 72, chil="messageto.xml", visi=0)]
write("messagerow.xml", doc("mbrw", "", 460, 74, row))
pane = [well("well", 12, 12, 472, 352, **GROW),
        item("iCon", "list", "", 18, 16, 460, 344, chil="messagerow.xml", **GROW),
        bar(490, 12, 352, mgTL=2, mgBR=3)]
write("messagespane.xml", doc("mbpn", "", 514, 372, pane))
# The pane is a MessagesBoxPane ('zMbP'); the line below writes to the conversation's person.
BL = dict(mgTL=4, mgBR=4)
write("messagesbox.xml", doc("mebx", "]Messages[", 514, 452,
    [item("iBim", "back", "", 0, 0, 514, 452, irOf="dialog_back.png", **GROW),
     item("zMbP", "pane", "", 0, 0, 514, 372, chil="messagespane.xml", mgTL=1, mgBR=3),
     label("whom", "", 14, 380, 380, font="sb12", **BL),
     field("iSet", "edit", 12, 402, 390, 28, mgTL=4, mgBR=3),
     button("Send", "]Send[", 412, 401, 90, 30, defa=1, mgTL=3, mgBR=3)], 600, 160, aupo=1, Mini=0, Zoma=0))

# ----- the service message -----
msg = [back(440, 220), item("iSrt", "text", "", 20, 18, 400, 130)]
msg += [button(f"but{i}", "", 330 - i * 104, 170, 96) for i in range(4)]
msg += [button("Done", "]Done[", 330, 170, 96, defa=1)]
write("message.xml", doc("smsg", "Zumeli", 440, 220, msg, 240, 200, Zoma=0, RszX=0, RszY=0, aupo=1))

# ----- writing to someone -----
nume = [back(440, 150), label("whom", "", 20, 18, 400, font="sb12"), field("iSet", "edit", 20, 42, 400, 28),
        text("stts", "", 20, 76, 400),
        button("Canc", "]Cancel[", 210, 104, 100), button("Send", "]Send[", 320, 104, 100, defa=1)]
write("newmessage.xml", doc("nume", "]New message[", 440, 150, nume, 260, 220, Zoma=0, RszX=0, RszY=0, aupo=1))
nuin = [back(440, 150), label("whom", "", 20, 18, 400, font="sb12"), item("iSrt", "text", "", 20, 42, 400, 32),
        text("stts", "", 20, 76, 400),
        button("Canc", "]Cancel[", 210, 104, 100), button("Send", "]Invite[", 320, 104, 100, defa=1)]
write("newinvitation.xml", doc("nuin", "]Invite to the channel[", 440, 150, nuin, 260, 220, Zoma=0, RszX=0, RszY=0, aupo=1))
nuab = [back(440, 150), label("head", "]Report abuse[", 20, 18, 400, font="sb12"), item("iSrt", "text", "", 20, 42, 400, 32),
        text("stts", "", 20, 76, 400),
        button("Canc", "]Cancel[", 210, 104, 100), button("Okay", "]Report[", 320, 104, 100, defa=1)]
write("reportabuse.xml", doc("nuab", "]Report abuse[", 440, 150, nuab, 260, 220, Zoma=0, RszX=0, RszY=0, aupo=1))
