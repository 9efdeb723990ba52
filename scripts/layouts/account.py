"""The account windows (log in, registration, password change) (the message window is in messages.py)."""
from common import *

login = [back(390, 196),
    text("lun", "]User name[", 20, 24, 120), field("iSet", "unam", 150, 20),
    text("lpw", "]Password[", 20, 60, 120), field("iSet", "pasw", 150, 56),
    button("Reco", "]Forgot the password?[", 20, 100, 170, 28), button("Crac", "]New account...[", 200, 100, 170, 28),
    button("Canc", "]Cancel[", 160, 148, 100), button("Okay", "]Log in[", 270, 148, 100, defa=1),
]
write("login.xml", doc("lgin", "]Log in[", 390, 196, login, 200, 160, Zoma=0, RszX=0, RszY=0, aupo=1))
reg = [back(460, 320),
    item("iSrt", "info", "", 20, 14, 420, 54),
    text("lna", "]User name[", 20, 80, 150), field("iSet", "usna", 180, 76, 260),
    text("lma", "]Mail address[", 20, 114, 150), field("iSet", "emai", 180, 110, 260),
    text("lp1", "]Password[", 20, 148, 150), field("iSet", "pas1", 180, 144, 260),
    text("lp2", "]Repeat the password[", 20, 182, 150), field("iSet", "pas2", 180, 178, 260),
    item("iSpb", "prog", "", 20, 218, 420, 14),
    text("stts", "", 20, 240, 420),
    button("Canc", "]Cancel[", 20, 272, 100), button("StRe", "]Stop[", 130, 272, 100),
    button("GoRe", "]Register[", 240, 272, 100, defa=1), button("Done", "]Done[", 350, 272, 90),
]
write("registration.xml", doc("regi", "]Create your Zumeli account[", 460, 320, reg, 180, 120, Zoma=0, RszX=0, RszY=0, aupo=1))
pw = [back(400, 172),
    text("lp1", "]New password[", 20, 24, 150), field("iSet", "pas1", 180, 20, 200),
    text("lp2", "]Repeat the password[", 20, 60, 150), field("iSet", "pas2", 180, 56, 200),
    text("stts", "", 20, 94, 360),
    button("Canc", "]Cancel[", 170, 126, 100), button("Okay", "]Change[", 280, 126, 100, defa=1),
]
write("pwchange.xml", doc("pwch", "]Change the password[", 400, 172, pw, 220, 180, Zoma=0, RszX=0, RszY=0, aupo=1))
