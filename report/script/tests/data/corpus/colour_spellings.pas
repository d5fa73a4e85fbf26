function F: Integer;
begin
  if clHightlightText = clHighlightText then
    Result := clHIGHLIGHTTEXT
  else
    Result := clRed;
end;
