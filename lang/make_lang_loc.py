#!/usr/bin/env python3
"""Writes lang.loc (CR LF, ANSI cp1252): the default English block of 126 lines,
then named blocks. Edit the tables here and run the script again."""
import pathlib

ENGLISH = {
    1: "Setup",
    2: "The setup resources could not be found. Please copy the complete setup folder and try again.",
    3: "The setup resources could not be unpacked. The setup files may be damaged; please obtain a fresh copy.",
    4: "Setup is starting.",
    5: "Setup stopped because of an unexpected problem: ",
    6: "bytes", 7: "KB", 8: "MB",
    9: "Please wait.", 10: "Done.", 11: "Working...",
    12: "The installation files could not be copied from the setup media.",
    13: "Downloading ",
    14: "The download did not complete. Setup cannot continue without these files.",
    15: "Unpacking ",
    16: "The files could not be unpacked or unpacking was cancelled.",
    17: "A required step could not be carried out.",
    18: "The installation could not change the system as requested.",
    19: "Windows Installer reported a problem.",
    20: "Setup stopped at a statement of its script.",
    21: "complete", 22: "received",
    23: "Preparing Setup", 24: "Please wait while Setup prepares the installation...",
    25: "Download Problem",
    26: "The files could not be downloaded. If you connect through a proxy server, enter its details below.",
    27: "Proxy settings", 28: "Proxy &Server:", 29: "Proxy &Port:",
    30: "Leave the fields empty to connect directly.", 31: "&Retry", 32: "&Give Up",
    33: "Unpacking Problem", 34: "The downloaded files could not be unpacked.",
    35: "Download the files again", 36: "Try to unpack the files again",
    37: "A fresh download replaces the files already received.",
    38: "OK", 39: "Cancel",
    40: "Do you really want to cancel the installation?",
    41: "Proxy &User:", 42: "Proxy Pass&word:",
    43: "Preparing the Windows Installer package...", 44: "Removing the previous version...",
    45: "Installing the Windows Installer package...", 46: "Please wait.",
    47: "Applying the patch...", 48: "Finishing the Windows Installer package...",
    49: "The download was interrupted.", 50: "Would you like to:",
    51: "Continue the interrupted download", 52: "Start a new download",
    53: "Continuing keeps the part already received.",
    88: "Language",
    89: "Setup Language", 90: "Choose the language for this installation:",
    112: "The Flash component could not be shown.",
    113: "Install this component", 114: "Install this component and all of its parts",
    115: "Do not install this component",
    116: "The Windows Installer package could not be processed.",
    117: "Installing files...", 118: "Writing registry values...", 119: "Creating shortcuts...",
    120: "Registering components...", 121: "Rolling back the changes...",
    122: "Removing files...", 123: "Removing registry values...",
    124: "The installation log could not be written.", 125: "The file is in use by another program.",
    126: "The change could not be undone completely.",
}
DOWNLOAD_STATES = ["Resolving the server name", "Server name resolved", "Connecting", "Connected",
    "Sending the request", "Request sent", "Waiting for the answer", "Answer received",
    "Redirected", "Reading the header", "Header read", "Receiving data", "Data received",
    "Closing the connection", "Connection closed", "Authenticating", "Authenticated",
    "Using the proxy", "Proxy refused the connection", "Server refused the connection",
    "Timed out", "Retrying", "Paused", "Resumed", "Cancelled", "Finished", "Failed",
    "File not found on the server", "Access denied by the server", "Server error",
    "Not enough disk space", "Writing the file", "File written", "Idle"]
assert len(DOWNLOAD_STATES) == 34  # lines 54 to 87
for i, text in enumerate(DOWNLOAD_STATES):
    ENGLISH[54 + i] = text

GERMAN = {
    1: "Installation",
    2: "Die Installationsressourcen wurden nicht gefunden. Bitte kopieren Sie den ganzen Installationsordner und versuchen Sie es erneut.",
    3: "Die Installationsressourcen konnten nicht entpackt werden. Bitte besorgen Sie eine neue Kopie.",
    4: "Die Installation startet.",
    5: "Die Installation wurde wegen eines unerwarteten Problems beendet: ",
    6: "Byte", 7: "KB", 8: "MB",
    12: "Die Installationsdateien konnten nicht vom Datentr\u00e4ger kopiert werden.",
    13: "Herunterladen ", 15: "Entpacken ",
    20: "Die Installation wurde bei einer Anweisung ihres Skripts beendet.",
    21: "fertig", 22: "empfangen",
    23: "Installation wird vorbereitet", 24: "Bitte warten Sie, w\u00e4hrend die Installation vorbereitet wird...",
    38: "OK", 39: "Abbrechen",
    40: "M\u00f6chten Sie die Installation wirklich abbrechen?",
    89: "Sprache der Installation", 90: "W\u00e4hlen Sie die Sprache f\u00fcr diese Installation:",
}

def block(table, fallback):
    lines = []
    for n in range(1, 127):
        if 91 <= n <= 111:
            lines.append("(reserved %d)" % n)
        else:
            lines.append(table.get(n, fallback.get(n, "")))
    return lines

def main():
    missing = [n for n in range(1, 127) if not (91 <= n <= 111) and n not in ENGLISH]
    assert not missing, missing
    lines = block(ENGLISH, {}) + ["German"] + block(GERMAN, ENGLISH)
    out = pathlib.Path(__file__).with_name("lang.loc")
    out.write_bytes(("\r\n".join(lines) + "\r\n").encode("cp1252"))

main()
