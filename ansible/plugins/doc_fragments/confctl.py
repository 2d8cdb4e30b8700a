# -*- coding: utf-8 -*-
# What every module of the collection documents alike: the file, the confctl
# program, the reason recorded in the history, and how edits behave.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  path:
    description: The configuration file. It must exist; it is never created.
    type: path
    required: true
  confctl:
    description: The confctl program on the managed host; by default the one on C(PATH).
    type: path
  accept_loss:
    description:
      - Save even when writing the file back loses text that the edit does not touch (lines of one
        bare word, the bytes after a Ctrl-Z byte), as C(confctl --accept-loss) does.
      - Left false, such an edit fails the task and leaves the file untouched, in check mode too.
    type: bool
    default: false
  reason:
    description:
      - Why the change is made, one line of plain text, recorded with the new revision in the
        file's history (C(confctl history list)), as C(confctl --reason) does.
      - A run that changes nothing records nothing.
    type: str
notes:
  - Editors take turns on the file through the lock beside it (C(FILE.lock)), as confctl does.
  - A refused rule or value fails the task with confctl's message and leaves the file untouched.
  - A file that holds a NUL byte or is larger than 64 MB is refused, whatever I(accept_loss) says.
  - Every save is recorded as a revision in C(FILE.history/) beside the file, with the remote user
    as its user and "confctl (proxy_rules)" (with the module's own name) as its program.
  - Supports check mode (confctl --dry-run) and diff mode (confctl's unified diff of the file).
'''
