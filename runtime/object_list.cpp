#include "runtime/runtime.h"

void* object_list_add(ObjectList& list, SIZE_T node_size) {
  auto* node = static_cast<ObjectListNode*>(HeapAlloc(object_heap, HEAP_ZERO_MEMORY, node_size));
  if (!node) return nullptr;
  if (list.head) {
    list.head->prev = node;
    node->next = list.head;
  }
  list.head = node;
  return object_list_payload(node);
}

void object_list_remove(ObjectList& list, void* payload) {
  ObjectListNode* node = object_list_node(payload);
  if (node == list.head) {
    list.head = node->next;
  } else {
    node->prev->next = node->next;
    if (node->next) node->next->prev = node->prev;
  }
  HeapFree(object_heap, 0, node);
}

bool object_list_contains(const ObjectList& list, const void* payload) {
  for (ObjectListNode* node = list.head; node; node = node->next)
    if (object_list_payload(node) == payload) return true;
  return false;
}
