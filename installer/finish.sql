# What wixl cannot write, applied to the built package one query a line.
# The user's settings file: never overwritten once there (NeverOverwrite beside 64-bit).
UPDATE `Component` SET `Attributes` = 384 WHERE `Component` = 'Settings'
# A newer package installs first and then removes the older one, so the settings file,
# a component both share, stays as the user left it.
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('InstallExecute', 6500)
UPDATE `InstallExecuteSequence` SET `Sequence` = 6550 WHERE `Action` = 'RemoveExistingProducts'
# The programs' file versions stay 1.0 between releases (and wixl writes none into the
# File table): every file of the package replaces the one on disk, except the settings
# file kept by its component.
INSERT INTO `Property` (`Property`, `Value`) VALUES ('REINSTALLMODE', 'amus')
# Keys removed as a whole on uninstall ('-'), as the programs' own unregistration
# does, and the add-in's key without values ('+'), in both registry views.
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AssistantProgIdKey64', 0, 'Pendrix.Application', '-', 'AssistantClass64')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AssistantClassKey64', 0, 'CLSID\@ASSISTANT_CLSID@', '-', 'AssistantClass64')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AddinProgIdKey64', 0, 'Glyphor.ZombAddin', '-', 'AddinClass64')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AddinVersionProgIdKey64', 0, 'Glyphor.ZombAddin.1', '-', 'AddinClass64')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AddinClassKey64', 0, 'CLSID\@ADDIN_CLSID@', '-', 'AddinClass64')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AddinProgrammable64', 0, 'CLSID\@ADDIN_CLSID@\Programmable', '+', 'AddinClass64')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('WordAddinKeyWhole64', 2, 'Software\Microsoft\Office\Word\Addins\Glyphor.ZombAddin', '-', 'WordAddinKey64')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AssistantProgIdKey32', 0, 'Pendrix.Application', '-', 'AssistantClass32')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AssistantClassKey32', 0, 'CLSID\@ASSISTANT_CLSID@', '-', 'AssistantClass32')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AddinProgIdKey32', 0, 'Glyphor.ZombAddin', '-', 'AddinClass32')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AddinVersionProgIdKey32', 0, 'Glyphor.ZombAddin.1', '-', 'AddinClass32')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AddinClassKey32', 0, 'CLSID\@ADDIN_CLSID@', '-', 'AddinClass32')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AddinProgrammable32', 0, 'CLSID\@ADDIN_CLSID@\Programmable', '+', 'AddinClass32')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('WordAddinKeyWhole32', 2, 'Software\Microsoft\Office\Word\Addins\Glyphor.ZombAddin', '-', 'WordAddinKey32')
# The product's own key (the key paths of the Start menu entry and the teachers' folder).
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('PendrixKeyWhole', 2, 'Software\Pendrix', '-', 'ManualShortcut')
