// アイテム処理 — the item module: draws, removes and collects the items.
#pragma once

void UpdateItems();
