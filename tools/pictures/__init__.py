"""Drawing and file-format code behind tools/make_pictures.py."""
