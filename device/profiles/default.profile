# The handheld the suite runs in. Values are shell assignments.
WIDTH=480            # screen in pixels: 480x640, 240x320, 640x480, 800x480 ...
HEIGHT=640
PLATFORM=PocketPC    # PocketPC or Smartphone
OEM="Reference Handheld RH-480"
LOCALE=en_US.UTF-8   # the language the device starts with (de_DE.UTF-8, nl_NL.UTF-8, ...)
RAM=128              # program memory in MB
STORE=64             # object store in MB (storage cards are extra)
CARDS="Storage Card" # storage cards: "Name" or "Name=/host/folder", separated by |
