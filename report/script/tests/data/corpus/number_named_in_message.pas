function F: Integer;
begin
  Result := 3 4;
end;
