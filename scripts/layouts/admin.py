"""The channel administration windows (request, editor, family editor) and the people selector."""
from common import *

W, H = 560, 560

def editor(name, title):
    L = [back(W, H),
        item("iSst", "chin", "", 20, 14, 300, 22, teSi=13, teBo=1),
        text("chtl", "]Title[", 20, 48, 110), field("iSet", "chti", 130, 44, 410),
        item("iSck", "doad", "]Administered[", 20, 80, 250, 22),
        item("iSck", "advi", "]Name and administration reserved[", 280, 80, 260, 22),
        item("iSck", "perm", "]Administrator's permission[", 20, 104, 250, 22),
        item("iSck", "pero", "]Administrator present[", 280, 104, 260, 22),
        text("acot", "]Access[", 20, 140, 110), item("iSpu", "acop", "", 130, 136, 410, 26),
        item("iSrt", "help", "", 20, 170, 520, 50),
        item("iSck", "beco", "]Co-administrators' bell[", 20, 228, 170, 22),
        item("iSck", "beev", "]Everyone's bell[", 196, 228, 160, 22),
        item("iSck", "bebr", "]Break-in bell[", 362, 228, 178, 22),
    ]
    lists = (("coat", "coad", "edi1", "]Co-Administrators["), ("reta", "peta", "edi2", "]Allowed talkers["),
             ("reli", "peli", "edi3", "]Allowed listeners["), ("reex", "peex", "edi4", "]Not admitted["))
    for i, (label, names, edit, t) in enumerate(lists):
        y = 266 + i * 56
        L += [text(label, t, 20, y + 4, 140), item("iSrt", names, "", 160, y, 290, 48),
              button(edit, "]Edit...[", 460, y + 8, 80, 30)]
    L += [item("iSst", "adin", "", 20, 500, 300, 22),
          button("Canc", "]Cancel[", 330, 514, 100, defa=2), button("Okay", "]Save[", 440, 514, 100, defa=1)]
    return doc(name, title, W, H, L, 160, 60, Zoma=0, RszX=0, RszY=0, aupo=1)

write("administration.xml", editor("admi", "]Channel administration["))
write("familyadministration.xml", editor("adfc", "]Channel administration["))

request = [back(440, 190),
    item("iSrt", "info", "", 20, 16, 400, 110),
    button("Canc", "]Cancel[", 20, 142, 100, defa=2), button("Bucr", "]Buy credits...[", 130, 142, 130),
    button("Adrq", "]Administer[", 270, 142, 150, defa=1),
]
write("administrationrequest.xml", doc("admr", "]Channel administration[", 440, 190, request, 220, 140,
                                       Zoma=0, RszX=0, RszY=0, aupo=1))

# One row of the selector: number, name, online lamp, tick box, further text.
RW, RH = 400, 28
row = [item("iBst", "inde", "", 8, 7, 30, 14, teFo="sr12", teCl=DIMAMBER),
    item("iBst", "name", "", 42, 7, 180, 14, teFo="sb12", teCl=AMBER),
    item("iBst", "opco", "", 226, 7, 100, 14, teFo="sr09", teCl=DIMAMBER),
    item("zLmp", "onli", "", 330, 7, 30, 14, irOf="lamp_status_off.png", irOn="lamp_status_on.png"),
    item("iBck", "enab", "", 370, 4, 20, 20, irOf="tick_off.png", ipOf="tick_off.png", irOn="tick_on.png",
         ipOn="tick_on.png"),
]
write("peoplerow.xml", doc("____", "", RW, RH, row))
selector = [back(460, 420),
    item("iBst", "head", "]Who[", 62, 14, 180, 14, teFo="sr09", teCl=DIMAMBER),
    item("iBst", "hdon", "]Online[", 340, 14, 50, 14, teFo="sr09", teCl=DIMAMBER),
    item("iBst", "hden", "]Listed[", 384, 14, 50, 14, teFo="sr09", teCl=DIMAMBER),
    item("iCon", "list", "", 20, 32, RW, 320, chil="peoplerow.xml"),
    item("iSsc", "scrl", "", 424, 32, 16, 320),
    button("Canc", "]Cancel[", 230, 370, 100, defa=2), button("Okay", "]OK[", 340, 370, 100, defa=1),
]
write("peopleselector.xml", doc("peos", "]People[", 460, 420, selector, 740, 100, Zoma=0, RszX=0, RszY=0, aupo=1))
