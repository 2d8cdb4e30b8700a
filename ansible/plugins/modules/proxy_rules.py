#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: proxy_rules
short_description: Keep the single-line rules of one directive in a proxy configuration file
version_added: "1.0.0"
author:
  - confkit developers
extends_documentation_fragment:
  - confkit.proxy.confctl
description:
  - Adds, removes or sets the rules of one directive (C(Pass), C(Map), C(Fail), ...) in the
    caching proxy's configuration file, through C(confctl) on the managed host.
  - Rules are compared as the proxy reads them (case, spacing and trailing comments aside); rules
    that stay keep their place and text.
  - A second run with the same parameters changes nothing.
options:
  directive:
    description: The directive whose rules are edited, in any case (C(Pass), C(map)).
    type: str
    required: true
  rules:
    description:
      - Whole rule lines, directive included (C(Pass /docs/* /srv/docs/*)).
      - Each must be a rule of I(directive) on one line, without C({) or C(}).
    type: list
    elements: str
    default: []
  state:
    description:
      - C(present) adds the rules that are missing, after the directive's last rule.
      - C(absent) removes those of the rules that are there.
      - C(exact) makes the directive's rules exactly I(rules); an empty list removes every rule of
        the directive.
    type: str
    choices: [present, absent, exact]
    default: present
'''

EXAMPLES = r'''
- name: These Pass rules are there
  confkit.proxy.proxy_rules:
    path: /etc/tarrowgate/proxy.conf
    directive: Pass
    rules:
      - Pass /docs/* /srv/docs/*
      - Pass /images/* /srv/images/*

- name: The Map rules are exactly these
  confkit.proxy.proxy_rules:
    path: "{{ proxy_conf }}"
    directive: Map
    state: exact
    rules:
      - Map /old/* /new/*

- name: No Fail rules at all
  confkit.proxy.proxy_rules:
    path: "{{ proxy_conf }}"
    directive: Fail
    state: exact
    rules: []
'''

RETURN = r'''
changed:
  description: Whether the file was (or, in check mode, would be) changed.
  returned: always
  type: bool
revision:
  description:
    - The number of the revision that the save recorded in the file's history; none when nothing
      was saved (no change, or check mode).
  returned: always
  type: int
  sample: 3
backup_file:
  description:
    - The copy of the file's content before the change, the previous revision in the file's
      history (C(FILE.history/N)), as the file modules give it with I(backup).
  returned: when the file was changed, outside check mode
  type: str
  sample: /etc/tarrowgate/proxy.conf.history/2
history_head:
  description:
    - The digest of the newest entry of the history's chain, as C(confctl history verify) prints
      it; kept elsewhere, it shows whether the history was rewritten. Empty while the file has no
      history.
  returned: always
  type: str
incidental:
  description:
    - Changes that writing the file back makes besides the edit and that lose nothing (LF-only
      lines written with CR LF), one note each; empty when nothing changed.
  returned: always
  type: list
  elements: str
loss:
  description:
    - What writing the file back loses besides the edit (lines of one bare word, the bytes after a
      Ctrl-Z byte), one note each; not empty only when I(accept_loss) allowed it.
  returned: always
  type: list
  elements: str
  sample: ["3 line(s) end with LF alone; written back they end with CR LF"]
diff:
  description: The diff of the lines whose text changes, with a note counting the line ends that change, in diff mode.
  returned: when diff mode is on and the file changed
  type: dict
'''

from ansible_collections.confkit.proxy.plugins.module_utils.confctl import (
    confctl_module, exit_with_report, run_edit)

VERBS = dict(present=['add'], absent=['remove', '--if-exists'], exact=['replace'])


def main():
    module = confctl_module(
        directive=dict(type='str', required=True),
        rules=dict(type='list', elements='str', default=[]),
        state=dict(type='str', choices=['present', 'absent', 'exact'], default='present'),
    )
    params = module.params
    verb = VERBS[params['state']]
    # An empty list is meant: exact removes every rule, present and absent do nothing.
    arguments = ['--allow-empty'] + verb[1:] + ['--', params['path'], params['directive']]
    report = run_edit(module, verb[:1], arguments + params['rules'])
    exit_with_report(module, report)


if __name__ == '__main__':
    main()
