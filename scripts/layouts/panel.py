"""The main window and the walkie-talkie panel: every item at its place on the skin."""
from common import *

L = []
L.append(item("iBim", "back", "", 0, 0, 560, 420, irOf="panel_back.png"))
L.append(item("iBst", "titl", "", 28, 20, 214, 16, teFo="sb12", teCl=AMBER))
L.append(item("zSeg", "infc", "00.00", 24, 34, 220, 66, sgDi="seg_digits.png", sgDt="seg_point.png", frms=13))
L.append(item("iBfi", "sign", "", 256, 22, 60, 18, irOf="signal_film.png", frms=7))
for i, (code, t) in enumerate((("noSV", "SV"), ("noCD", "CD"), ("noCH", "CH"))):
    L.append(item("zLmp", code, t, 256 + i * 34, 48, 30, 14, irOf="lamp_status_off.png", irOn="lamp_status_on.png",
                  teFo="sr09", tCof="110,96,70", tCon="10,30,12", txAl=1, teOy=1))
for i, (code, t) in enumerate((("erSE", "SE"), ("erCE", "CE"), ("stNA", "NA"), ("paDS", "DS"), ("stAD", "AD"))):
    L.append(item("zLma" if code in ("erSE", "erCE", "stNA") else "zLmp", code, t, 256 + i * 21, 72, 20, 14,
                  irOf="lamp_error_off.png", irOn="lamp_error_on.png", teFo="sr09", tCof="110,96,70", tCon="40,6,4", txAl=1, teOy=1))
L.append(item("iBst", "info", "", 28, 106, 330, 14, teFo="sr12", teCl=AMBER))
L.append(item("iBst", "pein", "", 28, 120, 330, 14, teFo="sr12", teCl=DIMAMBER))
L.append(item("iBst", "peop", "", 28, 134, 160, 14, teFo="sr09", teCl=DIMAMBER))
L.append(item("iBst", "chat", "", 196, 134, 160, 14, teFo="sr09", teCl=DIMAMBER))
L.append(item("zDia", "disp", "", 400, 14, 128, 128, irOf="dial_film.png", frms=14, pxCh=6))
for code, t, x in (("scdc", "«", 384), ("fidc", "‹", 424), ("fiin", "›", 464), ("scin", "»", 504)):
    L.append(item("iBwt", code, t, x, 146, 38, 22, irOf="key_small_off.png", ipOf="key_small_pressed.png",
                  teFo="sb12", tCof=KEYTEXT, tCon=KEYTEXT, txAl=1, teOy=3))
for i in range(6):
    L.append(item("zPre", f"pre{i}", "10.00", 19 + i * 88, 185, 82, 44, irOf="preset_off.png", ipOf="preset_pressed.png",
                  liOf="preset_lamp_off.png", liOn="preset_lamp_on.png", liPo="37,4", teFo="sb12", tCof=AMBER, tCon=AMBER,
                  txAl=1, teOy=16))
L.append(item("zTlk", "talk", "TALK", 20, 240, 160, 160, irOf="talk_off.png", ipOf="talk_pressed.png",
              irOn="talk_pressed.png", ipOn="talk_pressed.png", teFo="sb18", tCof="255,236,230", tCon="255,220,210", txAl=1, teOy=70))
L.append(item("iBck", "talh", "TALK", 20, 240, 160, 160, irOf="talk_off.png", ipOf="talk_pressed.png",
              irOn="talk_latched.png", ipOn="talk_latched_pressed.png"))
L.append(item("zLmp", "enta", "", 192, 244, 48, 48, irOf="lamp_onair_off.png", irOn="lamp_onair_on.png"))
L.append(item("zLmp", "enli", "", 192, 316, 48, 48, irOf="lamp_busy_off.png", irOn="lamp_busy_on.png"))
for i in range(8):
    L.append(item("iBbi", f"smi{i}", "", 254 + (i % 4) * 38, 256 + (i // 4) * 36, 34, 34, irOf="smile_btn_off.png",
                  ipOf="smile_btn_pressed.png", IcOf=f"smile_{i}.png", IcOn=f"smile_{i}.png"))
switches = (("mute", "]Mute[", 252, 340), ("nodi", "]Quiet[", 328, 340), ("atko", "]Voice[", 252, 364),
            ("thru", "]Monitor[", 328, 364), ("hold", "]Hold[", 252, 388))
for code, t, x, y in switches:
    L.append(item("iBct", code, t, x, y, 74, 22, irOf="switch_off.png", ipOf="switch_off_pressed.png", irOn="switch_on.png",
                  ipOn="switch_on_pressed.png", teFo="sr12", tCof=KEYTEXT, tCon="235,240,245", tCdi="120,120,120", txAl=1, teOx=7, teOy=4))
L.append(item("iBwt", "last", "]Replay[", 328, 388, 74, 22, irOf="switch_off.png", ipOf="switch_off_pressed.png",
              irOn="switch_on.png", ipOn="switch_on_pressed.png", teFo="sr12", tCof=KEYTEXT, tCon="235,240,245", txAl=1, teOx=7, teOy=4))
for code, x in (("inpV", 419), ("outV", 459)):
    L.append(item("iBsc", code, "", x, 244, 30, 154, irOf="slider_thumb.png", ipOf="slider_thumb_pressed.png",
                  min_=0, max_=1000))
write("panel.xml", doc("panl", "", 560, 420, L))
write("main.xml", doc("main", "Zumeli", 560, 420,
    [item("zPan", "pane", "", 0, 0, 560, 420, chil="panel.xml")], 120, 80, mBar=1, aupo=0, RszX=0, RszY=0, Zoma=0))
