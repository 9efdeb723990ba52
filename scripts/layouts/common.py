"""Shared pieces of the layout documents: items, documents, and the dialog parts every window uses."""
import os

RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")

def attrs(d):
    return "<attributes>" + "".join(f"<attribute><name>{k}</name><value>{v}</value></attribute>" for k, v in d.items()) + "</attributes>"
def item(kind, name, text, x, y, w, h, **a):
    a = {"visi": 1, **a}
    return f"<item><kind>{kind}</kind><name>{name}</name><text>{text}</text><position>{x},{y}</position><size>{w},{h}</size>{attrs(a)}</item>"
def doc(name, text, w, h, items, x=0, y=0, **a):
    return ("<epi>\n<version>4</version>\n<signature>layout</signature>\n<content>\n<version>1</version>\n<kind>ubob</kind>\n"
            f"<name>{name}</name>\n<text>{text}</text>\n<position>{x},{y}</position>\n<size>{w},{h}</size>\n{attrs(a)}\n<itemslist>\n"
            + "\n".join(items) + "\n</itemslist>\n</content>\n</epi>\n")
AMBER = "255,177,61"
DIMAMBER = "190,130,50"
KEYTEXT = "205,210,218"
def back(w, h):
    return item("iBim", "back", "", 0, 0, w, h, irOf="dialog_back.png")
def field(kind, name, x, y, w=220, h=26, **a):
    return item(kind, name, "", x, y, w, h, **a)
def text(name, t, x, y, w, h=20, **a):
    return item("iSst", name, t, x, y, w, h, **a)
def button(name, t, x, y, w=100, h=30, **a):
    return item("iSbt", name, t, x, y, w, h, **a)

def write(file_name, text):
    """Writes one layout document into resources/layouts/."""
    with open(os.path.join(RESOURCES, "layouts", file_name), "w") as f:
        f.write(text)
